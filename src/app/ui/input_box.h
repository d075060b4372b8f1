// The standard one-line input box: a caption, a prompt, an edit and OK / Cancel.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel::app {

inline constexpr int kInputBoxEditId = 100;

// Shows the box owned by owner with value as the edit's start text; true and the typed text in value when the
// user confirmed, false (value unchanged) when cancelled.
bool InputQuery(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value);

}  // namespace vantrel::app
