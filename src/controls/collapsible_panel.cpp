#include "controls/collapsible_panel.h"

#include "controls/paint_buffer.h"

namespace vantrel::ui {

bool CollapsiblePanel::Create(HWND parent, int id, const RECT& rect, const std::wstring& caption, bool expanded) {
  expanded_ = expanded;
  ClassInfo cls{L"VantrelCollapsiblePanel"};
  cls.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  if (!Window::Create(cls, WS_EX_CONTROLPARENT, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                      rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
    return false;
  dpi_ = Dpi::ForWindow(hwnd());
  // A real button: focusable, reachable with Tab, read by screen readers with its caption.
  header_ = ::CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0,
                              0, hwnd(), reinterpret_cast<HMENU>(1), ::GetModuleHandleW(nullptr), nullptr);
  ApplyDpi(dpi_);
  return header_ != nullptr;
}

void CollapsiblePanel::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  font_.reset(CreateUiFont(dpi_, 0, true));
  if (header_) ::SendMessageW(header_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  Layout();
}

void CollapsiblePanel::SetContent(HWND content) {
  content_ = content;
  Layout();
}

void CollapsiblePanel::SetExpanded(bool expanded) {
  if (expanded_ == expanded) return;
  expanded_ = expanded;
  // The focus would otherwise go with the folded content into a hidden window.
  const HWND focus = ::GetFocus();
  if (!expanded && content_ && header_ && (focus == content_ || ::IsChild(content_, focus))) ::SetFocus(header_);
  Layout();
  if (header_) ::InvalidateRect(header_, nullptr, FALSE);
  if (onExpandedChanged) onExpandedChanged(expanded_);
}

void CollapsiblePanel::Layout() {
  if (!hwnd()) return;
  RECT rc{};
  ::GetClientRect(hwnd(), &rc);
  const int h = HeaderHeight();
  if (header_) ::MoveWindow(header_, 0, 0, rc.right, h, TRUE);
  if (content_) {
    ::MoveWindow(content_, 0, h, rc.right, rc.bottom > h ? rc.bottom - h : 0, TRUE);
    ::ShowWindow(content_, expanded_ ? SW_SHOW : SW_HIDE);
  }
}

void CollapsiblePanel::DrawHeader(const DRAWITEMSTRUCT& dis) {
  PaintBuffer buffer(dis.hDC, dis.rcItem);
  HDC dc = buffer.dc();
  const RECT rc = dis.rcItem;
  FillSolid(dc, rc, ::GetSysColor(COLOR_BTNFACE));
  // A chevron that points down when the content shows and right when it is folded.
  const int size = dpi_.Scale(4);
  const int cx = rc.left + dpi_.Scale(12), cy = (rc.top + rc.bottom) / 2;
  POINT tri[3];
  if (expanded_) {
    tri[0] = {cx - size, cy - size / 2};
    tri[1] = {cx + size, cy - size / 2};
    tri[2] = {cx, cy + size / 2 + 1};
  } else {
    tri[0] = {cx - size / 2, cy - size};
    tri[1] = {cx - size / 2, cy + size};
    tri[2] = {cx + size / 2 + 1, cy};
  }
  win::SelectScope pen(dc, ::GetStockObject(DC_PEN));
  win::SelectScope brush(dc, ::GetStockObject(DC_BRUSH));
  ::SetDCPenColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  ::SetDCBrushColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  ::Polygon(dc, tri, 3);
  wchar_t caption[256] = {};
  ::GetWindowTextW(header_, caption, 256);
  RECT text{rc.left + dpi_.Scale(22), rc.top, rc.right - dpi_.Scale(4), rc.bottom};
  win::SelectScope font(dc, font_ ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  ::DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  ::SetDCPenColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
  ::MoveToEx(dc, rc.left, rc.bottom - 1, nullptr);
  ::LineTo(dc, rc.right, rc.bottom - 1);
  if (dis.itemState & ODS_FOCUS) {
    RECT focus = rc;
    ::InflateRect(&focus, -2, -2);
    ::DrawFocusRect(dc, &focus);
  }
}

LRESULT CollapsiblePanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == header_ && HIWORD(wParam) == BN_CLICKED) {
        SetExpanded(!expanded_);
        return 0;
      }
      // Commands of the content go on to the owner.
      return ::SendMessageW(::GetParent(hwnd()), msg, wParam, lParam);
    case WM_NOTIFY: return ::SendMessageW(::GetParent(hwnd()), msg, wParam, lParam);
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (dis && dis->hwndItem == header_) {
        DrawHeader(*dis);
        return TRUE;
      }
      return ::SendMessageW(::GetParent(hwnd()), msg, wParam, lParam);
    }
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vantrel::ui
