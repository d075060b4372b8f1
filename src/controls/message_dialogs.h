// The program's four message boxes, each with its default caption, and the shell's run dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vantrel {

bool ConfirmDlg(const std::wstring& text, const std::wstring& caption = L"");  // Yes -> true
void WarningDlg(const std::wstring& text, const std::wstring& caption = L"");
void InfoDlg(const std::wstring& text, const std::wstring& caption = L"");
void ErrorDlg(const std::wstring& text, const std::wstring& caption = L"");

// The shell's run dialog; 0 when the system does not offer it.
int ShowRunDialog(HWND owner, HICON icon, const std::wstring& title, const std::wstring& description);

// Boxes are owned by this window once it exists (none before).
void SetDialogOwner(HWND owner);
// Called around every box, e.g. to take the splash out of the way while the user answers.
void SetModalBoxHooks(std::function<void()> before, std::function<void()> after);

}  // namespace vantrel
