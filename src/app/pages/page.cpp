#include "app/pages/page.h"

#include <algorithm>

#include <windowsx.h>
#include <commctrl.h>

#include "app/ui/list_export.h"

namespace vantrel::app {

bool Page::Create(PageHost& host, ActionBar& actions) {
  host_ = &host;
  actions_ = &actions.GroupOf(index_);
  ClassInfo cls{L"VantrelPage"};
  cls.background = ::GetSysColorBrush(COLOR_BTNFACE);
  if (!Window::Create(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                      host.OwnerWindow(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(2000 + index_))))
    return false;
  if (!OnCreate()) return false;
  ApplyDpi(host.Dpi());
  return true;
}

HWND Page::Strip() {
  if (!strip_) {
    strip_ = std::make_unique<ui::Container>();
    if (!strip_->Create(host_->OwnerWindow())) return nullptr;
    strip_->onMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
      if (msg == WM_SIZE) {
        OnLayoutStrip(LOWORD(lParam), HIWORD(lParam));
        return false;
      }
      return ChildMessage(msg, wParam, lParam, result);
    };
  }
  return strip_->hwnd();
}

void Page::LayoutStripRow(int height, const StripRow& r) {
  const ui::Dpi& dpi = host_->Dpi();
  const int rowHeight = dpi.Scale(24);
  const int y = (height - rowHeight) / 2;
  const int labelLeft = r.listWidth + 8;
  const int switchLeft = labelLeft + r.labelWidth + 4;
  ::MoveWindow(r.list, 0, y, dpi.Scale(r.listWidth), dpi.Scale(r.dropHeight), TRUE);
  ::MoveWindow(r.label, dpi.Scale(labelLeft), y, dpi.Scale(r.labelWidth), rowHeight, TRUE);
  ::MoveWindow(r.onOff, dpi.Scale(switchLeft), y, dpi.Scale(52), rowHeight, TRUE);
}

void Page::Layout(const RECT& area, const RECT& strip) {
  ::MoveWindow(hwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  if (strip_)
    ::MoveWindow(strip_->hwnd(), strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, TRUE);
}

void Page::Activate(bool active) {
  active_ = active;
  ::ShowWindow(hwnd(), active ? SW_SHOW : SW_HIDE);
  if (strip_) ::ShowWindow(strip_->hwnd(), active ? SW_SHOW : SW_HIDE);
}

void Page::ApplyDpi(const ui::Dpi& /*dpi*/) {
  const HFONT font = host_->UiFont();
  auto setFont = [font](HWND parent) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  };
  setFont(hwnd());
  if (strip_) setFont(strip_->hwnd());
}

namespace {

// A menu asked for from the keyboard opens at the focused row of a list, else at the target's top left.
POINT KeyboardMenuPoint(HWND target) {
  // The target is the list view, or the list control around it.
  wchar_t cls[32] = {};
  ::GetClassNameW(target, cls, 32);
  const HWND list =
      ::lstrcmpiW(cls, WC_LISTVIEWW) == 0 ? target : ::FindWindowExW(target, nullptr, WC_LISTVIEWW, nullptr);
  const LRESULT row = list ? ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) : -1;
  RECT rc{};
  rc.left = LVIR_LABEL;
  if (row >= 0 && ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc))) {
    POINT at{rc.left + 8, rc.bottom};
    ::ClientToScreen(list, &at);
    return at;
  }
  ::GetWindowRect(target, &rc);
  return {rc.left + 8, rc.top + 8};
}

}  // namespace

ContextMenu Page::BuildContextMenu(HWND target) {
  ContextMenu menu;
  AddContextMenuItems(target, menu);
  ui::TreeGrid* list = ExportList();
  if (list && (target == list->hwnd() || ::IsChild(list->hwnd(), target))) {
    menu.AddSeparator();
    menu.Add(L"导出...", [this, list] { ExportListWithDialog(host_->OwnerWindow(), *list); });
  }
  return menu;
}

bool Page::ChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      *result = 0;
      return true;
    case WM_NOTIFY: *result = OnNotify(reinterpret_cast<NMHDR*>(lParam)); return true;
    case WM_CTLCOLORSTATIC:
      if (HBRUSH brush = OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        *result = reinterpret_cast<LRESULT>(brush);
        return true;
      }
      return false;
    case WM_CONTEXTMENU: {
      const HWND target = reinterpret_cast<HWND>(wParam);
      const ContextMenu menu = BuildContextMenu(target);
      if (menu.Empty()) return false;
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (at.x == -1 && at.y == -1) at = KeyboardMenuPoint(target);
      menu.Show(host_->OwnerWindow(), at);
      *result = 0;
      return true;
    }
  }
  return false;
}

LRESULT Page::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    OnLayout(LOWORD(lParam), HIWORD(lParam));
    return 0;
  }
  if (msg == WM_ERASEBKGND && FaceBrush()) {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    ::FillRect(reinterpret_cast<HDC>(wParam), &rc, FaceBrush());
    PaintFace(reinterpret_cast<HDC>(wParam));
    return 1;
  }
  LRESULT result = 0;
  if (ChildMessage(msg, wParam, lParam, &result)) return result;
  return Window::HandleMessage(msg, wParam, lParam);
}

bool TreePage::CreateTree() {
  if (!tree_.Create(hwnd(), 100)) return false;
  ::ShowWindow(tree_.hwnd(), SW_SHOW);
  return true;
}

void TreePage::AddCheckAllItems(ContextMenu& menu, const wchar_t* checkAll, const wchar_t* uncheckAll,
                                std::function<void()> afterChange) {
  for (const bool checked : {true, false}) {
    menu.Add(checked ? checkAll : uncheckAll, [this, checked, afterChange] {
      tree_.SetAllBoxesChecked(checked);
      if (afterChange) afterChange();
    });
  }
}

void TreePage::OnLayout(int width, int height) { ::MoveWindow(tree_.hwnd(), 0, 0, width, height, TRUE); }

void TreePage::LayoutAbovePanel(HWND panel, int panelDesignHeight, int width, int height) {
  const int listBottom = std::max(0, height - host().Dpi().Scale(panelDesignHeight));
  ::MoveWindow(tree_.hwnd(), 0, 0, width, listBottom, TRUE);
  ::MoveWindow(panel, 0, listBottom, width, height - listBottom, TRUE);
}

void TreePage::Relayout() {
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  OnLayout(rc.right, rc.bottom);
}

void TreePage::ApplyDpi(const ui::Dpi& dpi) {
  Page::ApplyDpi(dpi);
  tree_.ApplyDpi(dpi);
}

}  // namespace vantrel::app
