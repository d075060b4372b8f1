// What the details panel's sub-pages show the user, in one place.
#pragma once

namespace vantrel::app::process_details_texts {

constexpr wchar_t kInfoTab[] = L" 信息 ";
constexpr wchar_t kModulesTab[] = L" 模块 ";
constexpr wchar_t kHandlesTab[] = L" 句柄 ";
constexpr wchar_t kCommandLineItem[] = L"命令行";    // the inspector item that may arrive after the others
constexpr wchar_t kModulesPending[] = L" Modules ";  // until the modules of the focused process are listed
constexpr wchar_t kModules64Bit[] = L"无法检索模块 64 位进程。";
constexpr wchar_t kModulesLogPrefix[] = L"RefreshModules: ";
constexpr wchar_t kHandlesLogPrefix[] = L"RefreshHandles: ";

constexpr const wchar_t* kModuleColumns[] = {L"名称", L"描述", L"公司", L"版本", L"映像文件"};
constexpr const wchar_t* kHandleColumns[] = {L"类型", L"名称", L"句柄"};

}  // namespace vantrel::app::process_details_texts
