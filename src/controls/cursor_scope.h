// Shows a system cursor (the hourglass while the window thread works) and restores the one it replaced when the
// scope ends.
#pragma once

#include <windows.h>

namespace vantrel::ui {

class CursorScope {
 public:
  explicit CursorScope(const wchar_t* cursor = IDC_WAIT) : old_(::SetCursor(::LoadCursorW(nullptr, cursor))) {}
  ~CursorScope() { ::SetCursor(old_ ? old_ : ::LoadCursorW(nullptr, IDC_ARROW)); }
  CursorScope(const CursorScope&) = delete;
  CursorScope& operator=(const CursorScope&) = delete;

 private:
  HCURSOR old_;
};

}  // namespace vantrel::ui
