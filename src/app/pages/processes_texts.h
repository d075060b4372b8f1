// What the processes page shows the user, in one place.
#pragma once

namespace vantrel::app::processes_texts {

constexpr const wchar_t* kProcessFilters[] = {L"所有进程", L"非系统进程", L"系统进程", L"登录用户进程", L"无响应进程"};
constexpr wchar_t kTreeSwitchLabel[] = L"显示为树";
constexpr wchar_t kKillButton[] = L"确认终止进程";  // until the automatic-refresh mode is first switched
constexpr wchar_t kKillFocused[] = L"Terminate process";
constexpr wchar_t kKillChecked[] = L"Terminate checked processes";
constexpr wchar_t kCheckAll[] = L"检查所有";
constexpr wchar_t kUncheckAll[] = L"全部取消";
constexpr wchar_t kConfirmFocused[] = L"你真的想要终止选择的进程?";
constexpr wchar_t kConfirmCheckedBefore[] = L"你真的想终止 ";
constexpr wchar_t kConfirmCheckedAfter[] = L" 检查进程?";
constexpr wchar_t kDetailsPanel[] = L"进程详细信息";
constexpr wchar_t kCaptionBefore[] = L" 进程 (";
constexpr wchar_t kCaptionAfter[] = L") ";
constexpr wchar_t kFindItem[] = L"查找句柄或 DLL";

}  // namespace vantrel::app::processes_texts
