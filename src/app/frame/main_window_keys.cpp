// The main window's keyboard: the find window (Ctrl+F), the name filter (Ctrl+E, Ctrl+K, applied as you type,
// Esc clears it), page changes (Ctrl+Tab, Ctrl+Shift+Tab), the list's own Enter and Del before the dialog keys
// take them, a row's context menu from the keyboard (Shift+F10, the menu key), and Tab's own order.
#include "app/frame/main_window.h"

#include <commctrl.h>

#include "app/features/snapshot_item.h"
#include "app/frame/tab_order.h"
#include "controls/tree_grid.h"

namespace vantrel::app {
namespace {

constexpr UINT_PTR kTypedFilterTimer = 0x7E11;
// The filter applies this long after the last key.
constexpr UINT kTypedFilterDelayMs = 300;

bool Down(int key) { return ::GetKeyState(key) < 0; }
bool OnlyCtrl() { return Down(VK_CONTROL) && !Down(VK_MENU) && !Down(VK_SHIFT); }

// The list a key went to, when it went to one of the program's lists.
ui::TreeGrid* ListOf(HWND target) {
  for (HWND w = target; w; w = ::GetParent(w))
    if (auto* list = dynamic_cast<ui::TreeGrid*>(ui::Window::FromHandle(w))) return list;
  return nullptr;
}

}  // namespace

void MainWindow::OpenFindWindow() {
  if (!find_)
    find_ = std::make_unique<FindWindow>(hwnd(), handoff_, feeds_.processRowRequests,
                                         [this] { ShowProcessesPageForRequest(); });
  find_->Open();
}

void MainWindow::ShowProcessesPageForRequest() {
  if (!::IsWindowVisible(hwnd())) tray_.RestoreWindow();
  if (::IsIconic(hwnd())) ::ShowWindow(hwnd(), SW_RESTORE);
  ::SetForegroundWindow(hwnd());
  // The processes page answers with every process listed: the name filter must not hide the one asked for.
  if (!nameFilter_.Text().empty()) nameFilter_.SetText(L"");
  appliedFilter_.clear();
  if (activePage_ != kPageProcesses) SetActivePage(kPageProcesses);
}

void MainWindow::AttachFindWindowFeed(ProgramMenu::ItemId before) {
  feeds_.processRowRequests.openFinder = [this] { OpenFindWindow(); };
  programMenu_.AddItem(
      L"查找句柄或 DLL\tCtrl+F", [this] { OpenFindWindow(); }, before);
}

void MainWindow::DetachFindWindowFeed() {
  feeds_.processRowRequests.openFinder = nullptr;
  find_.reset();
}

void MainWindow::StepPage(int direction) {
  for (int i = 1; i < kPageCount; ++i) {
    const int page = ((activePage_ + direction * i) % kPageCount + kPageCount) % kPageCount;
    if (!tabs_.TabVisible(page)) continue;
    SetActivePage(page);
    return;
  }
}

void MainWindow::MoveFocusByTab(bool backward) {
  Page& page = PageAt(activePage_);
  const HWND next = NextTabStop(TabStops({nameFilter_.hwnd(), page.StripHwnd(), intervalEdit_.hwnd(),
                                          autoSwitch_.hwnd(), page.hwnd(), actionBar_.hwnd()}),
                                ::GetFocus(), backward);
  if (!next) return;
  ::SetFocus(next);
  // As a dialog does: an edit reached by Tab has its text selected.
  if (::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(next, EM_SETSEL, 0, -1);
}

void MainWindow::FocusNameFilter() {
  if (!PageAt(activePage_).UsesNameFilter()) return;
  ::SetFocus(nameFilter_.editHwnd());
  ::SendMessageW(nameFilter_.editHwnd(), EM_SETSEL, 0, -1);
}

void MainWindow::ApplyTypedFilter() {
  ::KillTimer(hwnd(), kTypedFilterTimer);
  const std::wstring text = nameFilter_.Text();
  if (text == appliedFilter_) return;
  appliedFilter_ = text;
  // A refresh focuses the list; the user is still typing.
  const bool typing = ::GetFocus() == nameFilter_.editHwnd();
  DWORD caretStart = 0, caretEnd = 0;
  ::SendMessageW(nameFilter_.editHwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&caretStart),
                 reinterpret_cast<LPARAM>(&caretEnd));
  RefreshActivePage();
  if (!typing) return;
  ::SetFocus(nameFilter_.editHwnd());
  ::SendMessageW(nameFilter_.editHwnd(), EM_SETSEL, caretStart, caretEnd);
}

bool MainWindow::OnShortcutTimer(UINT_PTR id) {
  if (id != kTypedFilterTimer) return false;
  ApplyTypedFilter();
  return true;
}

bool MainWindow::OnShortcutKey(const MSG& msg) {
  const HWND filterEdit = nameFilter_.editHwnd();
  if (msg.hwnd == filterEdit && (msg.message == WM_CHAR || msg.message == WM_KEYUP) && msg.wParam != VK_RETURN &&
      msg.wParam != VK_ESCAPE)
    ::SetTimer(hwnd(), kTypedFilterTimer, kTypedFilterDelayMs, nullptr);  // every key restarts the wait
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F10 && Down(VK_SHIFT) && !Down(VK_CONTROL)) {
    ::SendMessageW(msg.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(-1, -1));
    return true;
  }
  if (msg.message != WM_KEYDOWN) return false;
  switch (msg.wParam) {
    case 'F':
      if (!OnlyCtrl()) return false;
      OpenFindWindow();
      return true;
    case 'E':
    case 'K':
      if (!OnlyCtrl()) return false;
      FocusNameFilter();
      return true;
    case VK_TAB:
      if (Down(VK_MENU)) return false;
      if (Down(VK_CONTROL)) StepPage(Down(VK_SHIFT) ? -1 : 1);
      else MoveFocusByTab(Down(VK_SHIFT));
      return true;
    case VK_APPS:
      ::SendMessageW(msg.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(-1, -1));
      return true;
    case VK_ESCAPE:
      if (msg.hwnd != filterEdit) return false;
      nameFilter_.SetText(L"");
      ApplyTypedFilter();
      return true;
    case VK_RETURN:
      if (msg.hwnd == filterEdit) {
        ::KillTimer(hwnd(), kTypedFilterTimer);
        appliedFilter_ = nameFilter_.Text();
        return false;  // the filter box's own Enter applies it
      }
      [[fallthrough]];
    case VK_DELETE: {
      if (Down(VK_CONTROL) || Down(VK_MENU) || Down(VK_SHIFT)) return false;
      ui::TreeGrid* list = ListOf(msg.hwnd);
      return list && list->onKey && list->onKey(static_cast<UINT>(msg.wParam));
    }
    default: return false;
  }
}

}  // namespace vantrel::app
