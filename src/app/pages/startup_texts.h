// What the startup page shows the user, in one place (the confirmation, error box and tab caption are in
// core/startup/autorun.h).
#pragma once

namespace vantrel::app::startup_texts {

constexpr const wchar_t* kColumns[] = {L"自动运行项", L"命令行"};
constexpr wchar_t kDeleteButton[] = L"删除检查自动运行";
constexpr wchar_t kCheckAll[] = L"检查所有";
constexpr wchar_t kUncheckAll[] = L"全部取消";

}  // namespace vantrel::app::startup_texts
