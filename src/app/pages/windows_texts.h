// What the windows page shows the user, in one place (the row texts, inspector items and the confirmation are in
// core/windows/window_info.h).
#pragma once

namespace vantrel::app::windows_texts {

constexpr wchar_t kInvisibleSwitchLabel[] = L"显示不可见窗口";
constexpr wchar_t kCloseButton[] = L"关闭";
constexpr wchar_t kDetailsPanel[] = L"窗口详细信息";
constexpr const wchar_t* kColumns[] = {L"句柄", L"Class 名称", L"文本"};
// "Window [%d]%s cannot be %s.\r\n%s": handle in decimal, class, what failed, the system's message.
constexpr wchar_t kErrorBefore[] = L"Window [";
constexpr wchar_t kErrorCannotBe[] = L" cannot be ";
constexpr wchar_t kClosed[] = L"closed";
constexpr wchar_t kHidden[] = L"hidden";
constexpr wchar_t kShown[] = L"shown";

}  // namespace vantrel::app::windows_texts
