#include "controls/painted_control.h"

#include "controls/paint_buffer.h"

namespace vantrel::ui {

LRESULT PaintedControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      RECT rc;
      ::GetClientRect(hwnd(), &rc);
      {
        PaintBuffer buffer(dc, rc);
        Paint(buffer.dc(), rc);
      }
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT rc;
      ::GetClientRect(hwnd(), &rc);
      Paint(reinterpret_cast<HDC>(wParam), rc);
      return 0;
    }
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vantrel::ui
