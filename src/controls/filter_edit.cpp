#include "controls/filter_edit.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/dpi.h"
#include "system/raii.h"

namespace vantrel::ui {
namespace {
constexpr int kApplyId = 1;
constexpr int kClearId = 2;
constexpr int kEditId = 3;
}  // namespace

bool FilterEdit::Create(HWND parent, int id, const std::wstring& hint) {
  parent_ = parent;
  id_ = id;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  host_ = ::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, WC_STATICW, L"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | SS_WHITERECT, 0, 0, 0, 0, parent, nullptr,
                            instance, nullptr);
  if (!host_) return false;
  // The hint doubles as the accessible name of the box.
  edit_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, host_,
                            reinterpret_cast<HMENU>(kEditId), instance, nullptr);
  // The texts name the buttons for screen readers; the pictures are drawn.
  apply_ = ::CreateWindowExW(0, L"BUTTON", L"刷新", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0, host_,
                             reinterpret_cast<HMENU>(kApplyId), instance, nullptr);
  clear_ = ::CreateWindowExW(0, L"BUTTON", L"清除", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0, host_,
                             reinterpret_cast<HMENU>(kClearId), instance, nullptr);
  if (!edit_ || !apply_ || !clear_) return false;
  ::SendMessageW(edit_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
  ::SetWindowSubclass(edit_, &FilterEdit::EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
  ::SetWindowSubclass(host_, &FilterEdit::HostProc, 1, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

std::wstring FilterEdit::Text() const {
  const int n = ::GetWindowTextLengthW(edit_);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(edit_, s.data(), n + 1);
  s.resize(static_cast<size_t>(got > 0 ? got : 0));
  return s;
}

void FilterEdit::SetText(const std::wstring& text) { ::SetWindowTextW(edit_, text.c_str()); }

void FilterEdit::Move(int x, int y, int width, int height) {
  ::MoveWindow(host_, x, y, width, height, TRUE);
  RECT rc;
  ::GetClientRect(host_, &rc);
  const int button = rc.bottom;  // square buttons as high as the box
  const int editHeight = rc.bottom - 2;
  ::MoveWindow(apply_, 0, 0, button, rc.bottom, TRUE);
  ::MoveWindow(edit_, button + 2, (rc.bottom - editHeight) / 2 + 1, rc.right - 2 * button - 4, editHeight, TRUE);
  ::MoveWindow(clear_, rc.right - button, 0, button, rc.bottom, TRUE);
}

void FilterEdit::Show(bool visible) { ::ShowWindow(host_, visible ? SW_SHOW : SW_HIDE); }

void FilterEdit::SetFont(HFONT font) {
  for (HWND h : {edit_, apply_, clear_}) ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void FilterEdit::Notify(WORD code) {
  ::SendMessageW(parent_, WM_COMMAND, MAKEWPARAM(id_, code), reinterpret_cast<LPARAM>(edit_));
}

void FilterEdit::ClickClear() {
  ::SetWindowTextW(edit_, L"");
  ::SetFocus(edit_);
  Notify(kClear);
}

void FilterEdit::ClickApply() { Notify(kApply); }

LRESULT CALLBACK FilterEdit::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<FilterEdit*>(data);
  switch (msg) {
    case WM_GETDLGCODE:
      if (wParam == VK_RETURN) return DLGC_WANTALLKEYS;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        const bool modifier = (::GetKeyState(VK_SHIFT) | ::GetKeyState(VK_CONTROL) | ::GetKeyState(VK_MENU)) & 0x8000;
        if (!modifier) self->ClickApply();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == L'\n') return 0;  // no beep
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, &FilterEdit::EditProc, 1);
      break;
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

namespace {

// A magnifier for the apply button, a cross for the clear button.
void DrawFilterButton(const DRAWITEMSTRUCT& di, bool magnifier) {
  HDC dc = di.hDC;
  RECT rc = di.rcItem;
  ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_WINDOW));
  const bool pressed = di.itemState & ODS_SELECTED;
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  const int unit = std::max(1, std::min(w, h) / 16);
  win::UniquePen pen(::CreatePen(PS_SOLID, std::max(1, unit * 2),
                                 pressed ? ::GetSysColor(COLOR_HIGHLIGHT) : RGB(0x60, 0x60, 0x60)));
  win::SelectScope selPen(dc, pen.get());
  win::SelectScope selBrush(dc, ::GetStockObject(NULL_BRUSH));
  const int cx = rc.left + w / 2, cy = rc.top + h / 2;
  if (magnifier) {
    const int r = std::min(w, h) / 4;
    ::Ellipse(dc, cx - r - unit, cy - r - unit, cx + r - unit, cy + r - unit);
    ::MoveToEx(dc, cx + r / 2, cy + r / 2, nullptr);
    ::LineTo(dc, cx + r + unit * 2, cy + r + unit * 2);
  } else {
    const int r = std::min(w, h) / 5;
    ::MoveToEx(dc, cx - r, cy - r, nullptr);
    ::LineTo(dc, cx + r + 1, cy + r + 1);
    ::MoveToEx(dc, cx + r, cy - r, nullptr);
    ::LineTo(dc, cx - r - 1, cy + r + 1);
  }
  if (di.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &rc);
}

}  // namespace

LRESULT CALLBACK FilterEdit::HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<FilterEdit*>(data);
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      DrawFilterButton(*di, di->CtlID == kApplyId);
      return TRUE;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == kApplyId) self->ClickApply();
        if (LOWORD(wParam) == kClearId) self->ClickClear();
        return 0;
      }
      if (LOWORD(wParam) == kEditId) {  // pass the edit's own notifications on under our id
        ::SendMessageW(self->parent_, WM_COMMAND, MAKEWPARAM(self->id_, HIWORD(wParam)), lParam);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, &FilterEdit::HostProc, 1);
      break;
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace vantrel::ui
