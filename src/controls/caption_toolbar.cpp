#include "controls/caption_toolbar.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "controls/paint_buffer.h"

namespace vantrel::ui {
namespace {
constexpr UINT_PTR kSubclass = 0x56544254;  // 'VTBT'
}  // namespace

// The client-area strip of ClientStrip mode.
class CaptionToolbar::Strip : public Window {
 public:
  explicit Strip(CaptionToolbar& owner) : owner_(owner) {}
  bool Create(HWND parent) {
    ClassInfo cls{L"VantrelCaptionStrip"};
    return Window::Create(cls, 0, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr);
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd(), &ps);
        if (dc) owner_.Paint(dc, owner_.BarRect(), false);
        ::EndPaint(hwnd(), &ps);
        return 0;
      }
      case WM_ERASEBKGND: return 1;
      case WM_MOUSEMOVE: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(hwnd(), &pt);
        owner_.SetHot(owner_.ButtonAt(pt));
        if (!owner_.tracking_) {
          TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd(), 0};
          owner_.tracking_ = ::TrackMouseEvent(&tme) != FALSE;
        }
        return 0;
      }
      case WM_MOUSELEAVE:
        owner_.tracking_ = false;
        owner_.SetHot(-1);
        return 0;
      case WM_LBUTTONDOWN: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(hwnd(), &pt);
        const int index = owner_.ButtonAt(pt);
        if (index >= 0) owner_.Click(index);
        return 0;
      }
      case WM_SETCURSOR: {
        POINT pt{};
        ::GetCursorPos(&pt);
        const int index = owner_.ButtonAt(pt);
        if (index >= 0 && owner_.Button(index).handCursor && owner_.Button(index).enabled) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
        return DefaultProc(msg, wParam, lParam);
      }
      default: return DefaultProc(msg, wParam, lParam);
    }
  }

 private:
  CaptionToolbar& owner_;
};

CaptionToolbar::CaptionToolbar() = default;
CaptionToolbar::~CaptionToolbar() { Detach(); }

HWND CaptionToolbar::stripHwnd() const { return strip_ ? strip_->hwnd() : nullptr; }

bool CaptionToolbar::Attach(HWND frame, Mode mode) {
  Detach();
  if (!frame) return false;
  frame_ = frame;
  mode_ = mode;
  dpi_ = Dpi::ForWindow(frame);
  font_.reset(CreateUiFont(dpi_));
  if (mode == Mode::NonClient) {
    if (!::SetWindowSubclass(frame, &CaptionToolbar::FrameProc, kSubclass, reinterpret_cast<DWORD_PTR>(this))) {
      frame_ = nullptr;
      return false;
    }
  } else {
    strip_ = std::make_unique<Strip>(*this);
    if (!strip_->Create(frame)) {
      strip_.reset();
      frame_ = nullptr;
      return false;
    }
  }
  tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, frame, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
  if (tooltip_) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = frame;
    ti.uId = 1;
    ti.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  Redraw();
  return true;
}

void CaptionToolbar::Detach() {
  if (tooltip_) ::DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  strip_.reset();
  if (frame_ && mode_ == Mode::NonClient) {
    ::RemoveWindowSubclass(frame_, &CaptionToolbar::FrameProc, kSubclass);
    ::SetWindowPos(frame_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  frame_ = nullptr;
  hot_ = -1;
}

int CaptionToolbar::StripHeight() const {
  return mode_ == Mode::ClientStrip ? SystemMetricForDpi(SM_CYCAPTION, dpi_) + dpi_.Scale(2) : 0;
}

void CaptionToolbar::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  font_.reset(CreateUiFont(dpi_));
  Redraw();
}

int CaptionToolbar::AddButton(CaptionButton button) {
  buttons_.push_back(std::move(button));
  Redraw();
  return static_cast<int>(buttons_.size()) - 1;
}

void CaptionToolbar::SetCaption(int index, const std::wstring& caption) {
  if (index < 0 || index >= ButtonCount() || buttons_[static_cast<size_t>(index)].caption == caption) return;
  buttons_[static_cast<size_t>(index)].caption = caption;
  // In the frame the buttons are drawn over the system's caption: a changed text needs the caption redrawn under it
  // first, or the old text shows through.
  if (frame_ && mode_ == Mode::NonClient)
    ::RedrawWindow(frame_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  else Redraw();
}

void CaptionToolbar::SetEnabled(int index, bool enabled) {
  if (index < 0 || index >= ButtonCount()) return;
  buttons_[static_cast<size_t>(index)].enabled = enabled;
  Redraw();
}

void CaptionToolbar::SetHint(int index, const std::wstring& hint) {
  if (index >= 0 && index < ButtonCount()) buttons_[static_cast<size_t>(index)].hint = hint;
}

int CaptionToolbar::ButtonWidthPx(int index) const {
  const CaptionButton& b = buttons_[static_cast<size_t>(index)];
  if (b.width > 0) return dpi_.Scale(b.width);
  int text = dpi_.Scale(8) * static_cast<int>(b.caption.size());
  if (frame_ && font_) {
    win::WindowDc dc(frame_);
    win::SelectScope sel(dc.get(), font_.get());
    SIZE size{};
    if (::GetTextExtentPoint32W(dc.get(), b.caption.c_str(), static_cast<int>(b.caption.size()), &size)) text = size.cx;
  }
  return text + dpi_.Scale(b.dropDown ? 30 : 16);
}

RECT CaptionToolbar::BarRect() const {
  RECT bar{};
  if (!frame_) return bar;
  if (mode_ == Mode::ClientStrip) {
    RECT client{};
    ::GetClientRect(frame_, &client);
    return RECT{0, 0, client.right, StripHeight()};
  }
  RECT window{};
  ::GetWindowRect(frame_, &window);
  const int frameX = SystemMetricForDpi(SM_CXFRAME, dpi_) + SystemMetricForDpi(SM_CXPADDEDBORDER, dpi_);
  const int frameY = SystemMetricForDpi(SM_CYFRAME, dpi_) + SystemMetricForDpi(SM_CXPADDEDBORDER, dpi_);
  return RECT{frameX, frameY, window.right - window.left - frameX, frameY + SystemMetricForDpi(SM_CYCAPTION, dpi_)};
}

RECT CaptionToolbar::ButtonRect(int index) const {
  const RECT bar = BarRect();
  // Right-aligned, left of the system buttons (three in the caption bar) or of the strip's right edge.
  const int gap = dpi_.Scale(4);
  int right = bar.right - gap;
  if (mode_ == Mode::NonClient) right -= 3 * SystemMetricForDpi(SM_CXSIZE, dpi_);
  for (int i = ButtonCount() - 1; i >= 0; --i) {
    const int left = right - ButtonWidthPx(i);
    if (i == index) return RECT{left, bar.top + dpi_.Scale(1), right, bar.bottom - dpi_.Scale(1)};
    right = left - gap;
  }
  return RECT{};
}

int CaptionToolbar::ButtonAt(POINT screen) const {
  if (!frame_) return -1;
  POINT pt = screen;
  if (mode_ == Mode::ClientStrip) {
    ::ScreenToClient(strip_->hwnd(), &pt);
  } else {
    RECT window{};
    ::GetWindowRect(frame_, &window);
    pt.x -= window.left;
    pt.y -= window.top;
  }
  for (int i = 0; i < ButtonCount(); ++i) {
    const RECT r = ButtonRect(i);
    if (::PtInRect(&r, pt)) return i;
  }
  return -1;
}

bool CaptionToolbar::CaptionComposited() {
  BOOL on = FALSE;
  using Fn = HRESULT(WINAPI*)(BOOL*);
  static const auto isEnabled = [] {
    // Kept for the process's life.
    HMODULE dwm = ::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dwm ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmIsCompositionEnabled")))
               : nullptr;
  }();
  return isEnabled && SUCCEEDED(isEnabled(&on)) && on;
}

void CaptionToolbar::DrawButtonText(HDC dc, const std::wstring& text, RECT rect, COLORREF color, bool composited,
                                    int glowSize) {
  const DWORD format = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX;
  if (composited) {
    if (HTHEME theme = ::OpenThemeData(nullptr, L"CompositedWindow::Window")) {
      DTTOPTS opts{};
      opts.dwSize = sizeof(opts);
      opts.dwFlags = DTT_COMPOSITED | DTT_GLOWSIZE | DTT_TEXTCOLOR;
      opts.iGlowSize = glowSize;
      opts.crText = color;
      const HRESULT hr =
          ::DrawThemeTextEx(theme, dc, 0, 0, text.c_str(), static_cast<int>(text.size()), format, &rect, &opts);
      ::CloseThemeData(theme);
      if (SUCCEEDED(hr)) return;
    }
  }
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, color);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void CaptionToolbar::Paint(HDC dc, const RECT& bar, bool copyBackground) {
  if (buttons_.empty()) {
    if (!copyBackground) FillSolid(dc, bar, ::GetSysColor(COLOR_ACTIVECAPTION));
    return;
  }
  // Only the part of the bar the buttons cover is redrawn; in the frame the rest is the system's caption.
  RECT area = bar;
  if (copyBackground) {
    area.left = ButtonRect(0).left;
    area.right = ButtonRect(ButtonCount() - 1).right;
  }
  if (area.right <= area.left) return;
  PaintBuffer buffer(dc, area, copyBackground);
  HDC mem = buffer.dc();
  if (!copyBackground) FillSolid(mem, area, ::GetSysColor(COLOR_ACTIVECAPTION));
  win::SelectScope font(mem, font_ ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  win::SelectScope pen(mem, ::GetStockObject(DC_PEN));
  win::SelectScope brush(mem, ::GetStockObject(NULL_BRUSH));
  const bool composited = mode_ == Mode::NonClient && CaptionComposited();
  for (int i = 0; i < ButtonCount(); ++i) {
    const CaptionButton& b = buttons_[static_cast<size_t>(i)];
    const RECT r = ButtonRect(i);
    if (i == hot_ && b.enabled) {
      // A lighter frame marks the button under the mouse.
      ::SetDCPenColor(mem, RGB(255, 255, 255));
      ::RoundRect(mem, r.left, r.top, r.right, r.bottom, dpi_.Scale(4), dpi_.Scale(4));
    }
    if (b.dropDown) {
      const int cx = r.right - dpi_.Scale(9), cy = (r.top + r.bottom) / 2, s = dpi_.Scale(3);
      POINT tri[3] = {{cx - s, cy - s / 2}, {cx + s + 1, cy - s / 2}, {cx, cy + s / 2 + 1}};
      win::SelectScope solid(mem, ::GetStockObject(DC_BRUSH));
      ::SetDCBrushColor(mem, RGB(255, 255, 255));
      ::SetDCPenColor(mem, RGB(255, 255, 255));
      ::Polygon(mem, tri, 3);
    }
    if (onDrawButton) {
      onDrawButton(*this, i, mem, bar, r);
    } else {
      RECT text = r;
      text.right -= dpi_.Scale(14);
      DrawButtonText(mem, b.caption, text, b.enabled ? RGB(255, 255, 255) : ::GetSysColor(COLOR_INACTIVECAPTIONTEXT),
                     composited);
    }
  }
}

void CaptionToolbar::PaintNonClient() {
  if (!frame_ || mode_ != Mode::NonClient || !(::GetWindowLongW(frame_, GWL_STYLE) & WS_CAPTION)) return;
  HDC dc = ::GetWindowDC(frame_);
  if (!dc) return;
  Paint(dc, BarRect(), true);
  ::ReleaseDC(frame_, dc);
}

void CaptionToolbar::Redraw() {
  if (!frame_) return;
  if (mode_ == Mode::NonClient) {
    PaintNonClient();
  } else if (strip_) {
    ::InvalidateRect(strip_->hwnd(), nullptr, FALSE);
  }
}

void CaptionToolbar::SetHot(int index) {
  if (index == hot_) return;
  hot_ = index;
  Redraw();
  ShowHint(index);
}

void CaptionToolbar::ShowHint(int index) {
  if (!tooltip_) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = frame_;
  ti.uId = 1;
  if (index < 0 || buttons_[static_cast<size_t>(index)].hint.empty()) {
    ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    return;
  }
  ti.lpszText = const_cast<wchar_t*>(buttons_[static_cast<size_t>(index)].hint.c_str());
  ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  POINT pt{};
  ::GetCursorPos(&pt);
  ::SendMessageW(tooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(pt.x + dpi_.Scale(12), pt.y + dpi_.Scale(20)));
  ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
}

void CaptionToolbar::Click(int index) {
  if (index < 0 || index >= ButtonCount() || !buttons_[static_cast<size_t>(index)].enabled) return;
  ShowHint(-1);
  const CaptionButton& b = buttons_[static_cast<size_t>(index)];
  if (b.dropDown) {
    RECT r = ButtonRect(index);
    POINT pt{r.left, r.bottom};
    if (mode_ == Mode::ClientStrip) {
      ::ClientToScreen(strip_->hwnd(), &pt);
    } else {
      RECT window{};
      ::GetWindowRect(frame_, &window);
      pt.x += window.left;
      pt.y += window.top;
    }
    ::TrackPopupMenu(b.dropDown, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, pt.x, pt.y, 0, frame_, nullptr);
  }
  if (onClick) onClick(index);
}

LRESULT CALLBACK CaptionToolbar::FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  return reinterpret_cast<CaptionToolbar*>(ref)->OnFrameMessage(hwnd, msg, wParam, lParam);
}

LRESULT CaptionToolbar::OnFrameMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_SETTEXT: {
      // The system paints the caption first; the buttons go on top of it.
      const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
      PaintNonClient();
      return result;
    }
    case WM_NCHITTEST: {
      const LRESULT hit = ::DefSubclassProc(hwnd, msg, wParam, lParam);
      if (hit == HTCAPTION &&
          ButtonAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}) >= 0)
        return kHitButton;
      return hit;
    }
    case WM_NCMOUSEMOVE: {
      SetHot(wParam == static_cast<WPARAM>(kHitButton)
                 ? ButtonAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))})
                 : -1);
      if (!tracking_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_NONCLIENT, hwnd, 0};
        tracking_ = ::TrackMouseEvent(&tme) != FALSE;
      }
      break;
    }
    case WM_NCMOUSELEAVE:
      tracking_ = false;
      SetHot(-1);
      break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (wParam == static_cast<WPARAM>(kHitButton)) {
        Click(ButtonAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}));
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == kHitButton) {
        POINT pt{};
        ::GetCursorPos(&pt);
        const int index = ButtonAt(pt);
        if (index >= 0 && buttons_[static_cast<size_t>(index)].handCursor &&
            buttons_[static_cast<size_t>(index)].enabled) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    case WM_SIZE:
    case WM_DPICHANGED: {
      const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
      if (msg == WM_DPICHANGED) ApplyDpi(Dpi(HIWORD(wParam)));
      PaintNonClient();
      return result;
    }
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, &CaptionToolbar::FrameProc, kSubclass);
      frame_ = nullptr;
      break;
    default: break;
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace vantrel::ui
