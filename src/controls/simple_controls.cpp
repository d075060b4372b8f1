#include "controls/simple_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "controls/paint_buffer.h"

namespace vantrel::ui {
namespace {

HMENU IdMenu(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }
constexpr UINT_PTR kEditSubclass = 1;

}  // namespace

// --- OnOffSwitch ---

bool OnOffSwitch::Create(HWND parent, int id, const RECT& rect, bool on, std::wstring onText, std::wstring offText) {
  on_ = on;
  onText_ = std::move(onText);
  offText_ = std::move(offText);
  ClassInfo cls{L"VantrelOnOffSwitch"};
  if (!Window::Create(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, IdMenu(id)))
    return false;
  // A real check box, so that assistive technology reads it as one (its state through BM_GETCHECK, its name the
  // label beside it); it is drawn as a switch through custom draw.
  button_ = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, 0, 0,
                              rect.right - rect.left, rect.bottom - rect.top, hwnd(), IdMenu(1),
                              ::GetModuleHandleW(nullptr), nullptr);
  if (!button_) return false;
  ::SendMessageW(button_, BM_SETCHECK, on_ ? BST_CHECKED : BST_UNCHECKED, 0);
  ApplyDpi(Dpi::ForWindow(hwnd()));
  return true;
}

void OnOffSwitch::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  font_.reset(CreateUiFont(dpi_));
  if (button_) ::InvalidateRect(button_, nullptr, FALSE);
}

void OnOffSwitch::SetOn(bool on) {
  on_ = on;
  if (button_) {
    ::SendMessageW(button_, BM_SETCHECK, on_ ? BST_CHECKED : BST_UNCHECKED, 0);
    ::InvalidateRect(button_, nullptr, FALSE);
  }
}

void OnOffSwitch::Toggle() {
  SetOn(!on_);
  if (onChanged) onChanged(on_);
}

void OnOffSwitch::SetAccessibleName(const std::wstring& label) {
  if (button_) ::SetWindowTextW(button_, label.c_str());
}

void OnOffSwitch::Draw(HDC target, const RECT& rc, bool enabled, bool focused) {
  PaintBuffer buffer(target, rc);
  HDC dc = buffer.dc();
  FillSolid(dc, rc, ::GetSysColor(COLOR_BTNFACE));
  // Track: a rounded bar, coloured when on; the knob sits at the right when on, at the left when off.
  RECT track = rc;
  ::InflateRect(&track, -dpi_.Scale(1), -dpi_.Scale(2));
  const int radius = track.bottom - track.top;
  win::SelectScope pen(dc, ::GetStockObject(DC_PEN));
  win::SelectScope brush(dc, ::GetStockObject(DC_BRUSH));
  const COLORREF onColor = enabled ? RGB(0x2E, 0x7D, 0x32) : ::GetSysColor(COLOR_GRAYTEXT);
  ::SetDCPenColor(dc, on_ ? onColor : ::GetSysColor(COLOR_BTNSHADOW));
  ::SetDCBrushColor(dc, on_ ? onColor : ::GetSysColor(COLOR_WINDOW));
  ::RoundRect(dc, track.left, track.top, track.right, track.bottom, radius, radius);
  const int knob = track.bottom - track.top - dpi_.Scale(4);
  const int kx = on_ ? track.right - dpi_.Scale(2) - knob : track.left + dpi_.Scale(2);
  const int ky = track.top + dpi_.Scale(2);
  ::SetDCPenColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
  ::SetDCBrushColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
  ::Ellipse(dc, kx, ky, kx + knob, ky + knob);
  RECT text = track;
  if (on_) {
    text.right = kx;
  } else {
    text.left = kx + knob;
  }
  const std::wstring& caption = on_ ? onText_ : offText_;
  win::SelectScope font(dc, font_ ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, on_ ? RGB(255, 255, 255) : ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
  if (focused) {
    RECT focus = rc;
    ::DrawFocusRect(dc, &focus);
  }
}

LRESULT OnOffSwitch::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (button_) ::MoveWindow(button_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (button_) ::SetFocus(button_);
      return 0;
    case WM_ENABLE:
      if (button_) ::EnableWindow(button_, static_cast<BOOL>(wParam));
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == button_ && HIWORD(wParam) == BN_CLICKED) Toggle();
      return 0;
    case WM_NOTIFY: {
      auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
      if (!cd || cd->hdr.hwndFrom != button_ || cd->hdr.code != NM_CUSTOMDRAW) break;
      if (cd->dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
      Draw(cd->hdc, cd->rc, !(cd->uItemState & CDIS_DISABLED), (cd->uItemState & CDIS_FOCUS) != 0);
      return CDRF_SKIPDEFAULT;
    }
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: break;
  }
  return DefaultProc(msg, wParam, lParam);
}

// --- SpinBox ---

bool SpinBox::Create(HWND parent, int id, const RECT& rect, int minValue, int maxValue, int value, int step) {
  min_ = std::min(minValue, maxValue);
  max_ = std::max(minValue, maxValue);
  step_ = std::max(step, 1);
  value_ = std::clamp(value, min_, max_);
  ClassInfo cls{L"VantrelSpinBox"};
  if (!Window::Create(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, IdMenu(id)))
    return false;
  edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", std::to_wstring(value_).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL, 0, 0, 10, 10,
                            hwnd(), IdMenu(1), ::GetModuleHandleW(nullptr), nullptr);
  updown_ = ::CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 10,
                              10, hwnd(), IdMenu(2), ::GetModuleHandleW(nullptr), nullptr);
  if (!edit_ || !updown_) return false;
  // The buddy lets the arrow keys in the edit step the value (the text is set here, not by the control).
  ::SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
  ::SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  ::SendMessageW(updown_, UDM_SETPOS32, 0, value_);
  UDACCEL accel{0, static_cast<UINT>(step_)};
  ::SendMessageW(updown_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  ApplyDpi(Dpi::ForWindow(hwnd()));
  return true;
}

void SpinBox::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  font_.reset(CreateUiFont(dpi_));
  if (edit_) ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  Layout();
}

void SpinBox::Layout() {
  if (!hwnd() || !edit_) return;
  RECT rc{};
  ::GetClientRect(hwnd(), &rc);
  const int arrows = SystemMetricForDpi(SM_CXVSCROLL, dpi_);
  ::MoveWindow(edit_, 0, 0, std::max<int>(rc.right - arrows, 0), rc.bottom, TRUE);
  ::MoveWindow(updown_, std::max<int>(rc.right - arrows, 0), 0, arrows, rc.bottom, TRUE);
}

void SpinBox::SetValue(int value) {
  value_ = std::clamp(value, min_, max_);
  if (!edit_) return;
  updating_ = true;
  ::SetWindowTextW(edit_, std::to_wstring(value_).c_str());
  ::SendMessageW(updown_, UDM_SETPOS32, 0, value_);
  updating_ = false;
}

// Typing changes the value once the text is a number in range; leaving the edit puts a valid number back.
void SpinBox::ReadEdit(bool fix) {
  wchar_t buf[32] = {};
  ::GetWindowTextW(edit_, buf, 32);
  wchar_t* end = nullptr;
  const long parsed = std::wcstol(buf, &end, 10);
  const bool number = buf[0] && end && *end == L'\0';
  if (number && parsed >= min_ && parsed <= max_) {
    if (parsed != value_) {
      value_ = static_cast<int>(parsed);
      ::SendMessageW(updown_, UDM_SETPOS32, 0, value_);
      if (onChanged) onChanged(value_);
    }
    return;
  }
  if (fix) {
    const int old = value_;
    SetValue(number ? static_cast<int>(std::clamp<long>(parsed, min_, max_)) : value_);
    if (value_ != old && onChanged) onChanged(value_);
  }
}

LRESULT SpinBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_SETFOCUS:
      if (edit_) ::SetFocus(edit_);
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == edit_ && !updating_) {
        if (HIWORD(wParam) == EN_CHANGE) ReadEdit(false);
        if (HIWORD(wParam) == EN_KILLFOCUS) ReadEdit(true);
      }
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->hwndFrom == updown_ && hdr->code == UDN_DELTAPOS) {
        auto* ud = reinterpret_cast<NMUPDOWN*>(lParam);
        const int next = std::clamp(value_ + (ud->iDelta > 0 ? step_ : -step_), min_, max_);
        if (next != value_) {
          SetValue(next);
          if (onChanged) onChanged(value_);
        }
        return TRUE;  // the value is set here, not by the control
      }
      return 0;
    }
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

// --- FilterBox ---

bool FilterBox::Create(HWND parent, int id, const RECT& rect, const std::wstring& hint) {
  ClassInfo cls{L"VantrelFilterBox"};
  cls.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!Window::Create(cls, WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                      rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, IdMenu(id)))
    return false;
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  left_ = ::CreateWindowExW(0, L"BUTTON", L"刷新", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 1, 1, hwnd(), IdMenu(2),
                            inst, nullptr);
  edit_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 1, 1, hwnd(),
                            IdMenu(1), inst, nullptr);
  right_ = ::CreateWindowExW(0, L"BUTTON", L"清除", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 1, 1, hwnd(), IdMenu(3),
                             inst, nullptr);
  if (!edit_ || !left_ || !right_) return false;
  ::SendMessageW(edit_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
  ::SetWindowTextW(hwnd(), hint.c_str());  // the accessible name of the group
  ::SetWindowSubclass(edit_, &FilterBox::EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this));
  ApplyDpi(Dpi::ForWindow(hwnd()));
  return true;
}

std::wstring FilterBox::Text() const {
  if (!edit_) return {};
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit_)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
  return text;
}

void FilterBox::SetText(const std::wstring& text) {
  if (edit_) ::SetWindowTextW(edit_, text.c_str());
}

void FilterBox::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  font_.reset(CreateUiFont(dpi_));
  if (edit_) ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  Layout();
}

void FilterBox::Layout() {
  if (!hwnd() || !edit_) return;
  RECT rc{};
  ::GetClientRect(hwnd(), &rc);
  const int button = std::min<int>(rc.bottom, dpi_.Scale(20));
  int textHeight = rc.bottom;
  if (font_) {
    win::WindowDc dc(edit_);
    win::SelectScope sel(dc.get(), font_.get());
    TEXTMETRICW tm{};
    if (::GetTextMetricsW(dc.get(), &tm)) textHeight = std::min<int>(rc.bottom, tm.tmHeight + dpi_.Scale(2));
  }
  ::MoveWindow(left_, 0, (rc.bottom - button) / 2, button, button, TRUE);
  ::MoveWindow(right_, rc.right - button, (rc.bottom - button) / 2, button, button, TRUE);
  ::MoveWindow(edit_, button + dpi_.Scale(2), (rc.bottom - textHeight) / 2,
               std::max<int>(rc.right - 2 * button - dpi_.Scale(4), 0), textHeight, TRUE);
}

void FilterBox::DrawButton(const DRAWITEMSTRUCT& dis) {
  PaintBuffer buffer(dis.hDC, dis.rcItem);
  HDC dc = buffer.dc();
  const RECT rc = dis.rcItem;
  FillSolid(dc, rc, ::GetSysColor((dis.itemState & ODS_SELECTED) ? COLOR_BTNFACE : COLOR_WINDOW));
  win::SelectScope pen(dc, ::GetStockObject(DC_PEN));
  win::SelectScope brush(dc, ::GetStockObject(NULL_BRUSH));
  ::SetDCPenColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
  const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2, s = dpi_.Scale(4);
  if (dis.hwndItem == left_) {
    // A magnifier: the filter is applied.
    ::Ellipse(dc, cx - s - 1, cy - s - 1, cx + s / 2 + 1, cy + s / 2 + 1);
    ::MoveToEx(dc, cx + s / 2, cy + s / 2, nullptr);
    ::LineTo(dc, cx + s + 2, cy + s + 2);
  } else {
    // A cross: the filter is cleared.
    ::MoveToEx(dc, cx - s, cy - s, nullptr);
    ::LineTo(dc, cx + s + 1, cy + s + 1);
    ::MoveToEx(dc, cx + s, cy - s, nullptr);
    ::LineTo(dc, cx - s - 1, cy + s + 1);
  }
}

LRESULT CALLBACK FilterBox::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<FilterBox*>(ref);
  const bool plainEnter = wParam == VK_RETURN && ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_SHIFT) >= 0 &&
                          ::GetKeyState(VK_MENU) >= 0;
  switch (msg) {
    case WM_KEYDOWN:
      if (plainEnter) {
        if (self->onEnter) self->onEnter();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == L'\n') return 0;  // no beep
      break;
    case WM_GETDLGCODE: return ::DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_NCDESTROY: ::RemoveWindowSubclass(hwnd, &FilterBox::EditProc, kEditSubclass); break;
    default: break;
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT FilterBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_SETFOCUS:
      if (edit_) ::SetFocus(edit_);
      return 0;
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      if (HIWORD(wParam) == BN_CLICKED && from == left_) {
        if (onLeftButton) onLeftButton();
      } else if (HIWORD(wParam) == BN_CLICKED && from == right_) {
        SetText(L"");
        ::SetFocus(edit_);
        if (onRightButton) onRightButton();
      } else if (from == edit_) {
        // Edit notifications (EN_CHANGE ...) reach the owner as if the edit were its own child.
        return ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd()), HIWORD(wParam)),
                              reinterpret_cast<LPARAM>(hwnd()));
      }
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (dis && (dis->hwndItem == left_ || dis->hwndItem == right_)) DrawButton(*dis);
      return TRUE;
    }
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vantrel::ui
