#include "controls/message_dialogs.h"

namespace vantrel {
namespace {

HWND g_owner = nullptr;
std::function<void()> g_before, g_after;

int ShowBox(const std::wstring& text, const std::wstring& caption, const wchar_t* defaultCaption, UINT flags) {
  HWND owner = g_owner && ::IsWindow(g_owner) ? g_owner : nullptr;
  if (g_before) g_before();
  const int answer = ::MessageBoxW(owner, text.c_str(), caption.empty() ? defaultCaption : caption.c_str(), flags);
  if (g_after) g_after();
  return answer;
}

}  // namespace

bool ConfirmDlg(const std::wstring& text, const std::wstring& caption) {
  return ShowBox(text, caption, L"确认", MB_ICONQUESTION | MB_YESNO) == IDYES;
}
void WarningDlg(const std::wstring& text, const std::wstring& caption) {
  ShowBox(text, caption, L"警告", MB_ICONWARNING | MB_OK);
}
void InfoDlg(const std::wstring& text, const std::wstring& caption) {
  ShowBox(text, caption, L"信息", MB_ICONINFORMATION | MB_OK);
}
void ErrorDlg(const std::wstring& text, const std::wstring& caption) {
  ShowBox(text, caption, L"错误", MB_ICONERROR | MB_OK);
}

int ShowRunDialog(HWND owner, HICON icon, const std::wstring& title, const std::wstring& description) {
  using RunFileDlgFn = int(WINAPI*)(HWND, HICON, LPCWSTR, LPCWSTR, LPCWSTR, UINT);
  static RunFileDlgFn runFileDlg = [] {
    HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
    // Kept for the life of the process.
    if (!shell) shell = ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shell
               ? reinterpret_cast<RunFileDlgFn>(reinterpret_cast<void*>(::GetProcAddress(shell, MAKEINTRESOURCEA(61))))
               : nullptr;
  }();
  if (!runFileDlg) return 0;
  return runFileDlg(owner, icon, nullptr, title.empty() ? nullptr : title.c_str(),
                    description.empty() ? nullptr : description.c_str(), 0);
}

void SetDialogOwner(HWND owner) { g_owner = owner; }

void SetModalBoxHooks(std::function<void()> before, std::function<void()> after) {
  g_before = std::move(before);
  g_after = std::move(after);
}

}  // namespace vantrel
