#include "controls/toggle_switch.h"

#include <windowsx.h>

#include "controls/dpi.h"

namespace vantrel::ui {

bool ToggleSwitch::Create(HWND parent, int id, std::wstring onText, std::wstring offText) {
  onText_ = std::move(onText);
  offText_ = std::move(offText);
  return Window::Create({L"VantrelToggleSwitch"}, 0, offText_.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void ToggleSwitch::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  ::SetWindowTextW(hwnd(), checked_ ? onText_.c_str() : offText_.c_str());  // screen readers read the state
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void ToggleSwitch::SetFont(HFONT font) {
  font_ = font;
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void ToggleSwitch::Toggle() {
  SetChecked(!checked_);
  HWND parent = ::GetParent(hwnd());
  ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd()), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd()));
}

void ToggleSwitch::Paint(HDC dc, const RECT& rc) const {
  const Dpi dpi = Dpi::ForWindow(hwnd());
  ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
  const bool enabled = ::IsWindowEnabled(hwnd());
  // Track: a rounded pill, green when on; the knob sits at the side of the state.
  const int h = rc.bottom - rc.top;
  const int trackH = (h * 3) / 4;
  RECT track{rc.left + 1, rc.top + (h - trackH) / 2, rc.right - 1, rc.top + (h - trackH) / 2 + trackH};
  const COLORREF onColour = enabled ? RGB(46, 160, 67) : RGB(150, 190, 160);
  const COLORREF offColour = enabled ? RGB(160, 160, 160) : RGB(200, 200, 200);
  win::UniqueBrush trackBrush(::CreateSolidBrush(checked_ ? onColour : offColour));
  win::UniquePen noPen(::CreatePen(PS_NULL, 0, 0));
  {
    win::SelectScope b(dc, trackBrush.get());
    win::SelectScope p(dc, noPen.get());
    ::RoundRect(dc, track.left, track.top, track.right, track.bottom, trackH, trackH);
    const int knob = trackH - dpi.Scale(4);
    const int kx = checked_ ? track.right - dpi.Scale(2) - knob : track.left + dpi.Scale(2);
    const int ky = track.top + dpi.Scale(2);
    win::SelectScope white(dc, ::GetStockObject(WHITE_BRUSH));
    ::Ellipse(dc, kx, ky, kx + knob, ky + knob);
    RECT text = track;
    if (checked_) text.right -= knob + dpi.Scale(2);
    else text.left += knob + dpi.Scale(2);
    win::SelectScope f(dc, font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    const std::wstring& s = checked_ ? onText_ : offText_;
    ::DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if (::GetFocus() == hwnd()) {
    RECT focus = rc;
    ::DrawFocusRect(dc, &focus);
  }
}

LRESULT ToggleSwitch::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    case WM_LBUTTONDOWN:
      ::SetFocus(hwnd());
      ::SetCapture(hwnd());
      pressed_ = true;
      return 0;
    case WM_LBUTTONUP:
      if (pressed_) {
        pressed_ = false;
        ::ReleaseCapture();
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT rc;
        ::GetClientRect(hwnd(), &rc);
        if (::PtInRect(&rc, pt)) Toggle();
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Toggle();
      return 0;
    case BM_GETCHECK:
      return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      SetChecked(wParam == BST_CHECKED);
      return 0;
    case BM_CLICK:
      Toggle();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      ::InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      RECT rc;
      ::GetClientRect(hwnd(), &rc);
      // Off-screen first, then one copy: no flicker.
      win::UniqueMemDc mem(::CreateCompatibleDC(dc));
      win::UniqueBitmap bmp(::CreateCompatibleBitmap(dc, rc.right, rc.bottom));
      if (mem && bmp) {
        win::SelectScope sel(mem.get(), bmp.get());
        Paint(mem.get(), rc);
        ::BitBlt(dc, 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
      }
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace vantrel::ui
