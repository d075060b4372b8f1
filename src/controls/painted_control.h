// The base of a control that draws its whole face itself: painted through an off-screen buffer so that it never
// flickers, drawn the same into a WM_PRINTCLIENT DC (window snapshots, tests), and rescaled when its parent's DPI
// changes.
#pragma once

#include <windows.h>

#include "controls/dpi.h"
#include "controls/window.h"

namespace vantrel::ui {

class PaintedControl : public Window {
 public:
  virtual void ApplyDpi(Dpi dpi) = 0;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Draws the whole client rectangle rc into dc.
  virtual void Paint(HDC dc, const RECT& rc) = 0;
};

}  // namespace vantrel::ui
