#include "app/features/find_window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/ui/context_menu.h"
#include "app/ui/list_export.h"
#include "app/feeds/process_row_feed.h"
#include "core/handles/find_results.h"

namespace vantrel::app {
namespace {

constexpr wchar_t kClassName[] = L"Twnd_tm_Find";
constexpr wchar_t kTitle[] = L"查找句柄或 DLL";
constexpr wchar_t kEditHint[] = L"句柄名称或 DLL 名称的一部分";
constexpr wchar_t kSearchButton[] = L"搜索";
constexpr wchar_t kStatusIdle[] = L"输入文件、注册表项或 DLL 名称的一部分, 然后按 Enter。";
constexpr wchar_t kExport[] = L"导出...";
constexpr const wchar_t* kColumns[] = {L"进程", L"PID", L"类型", L"名称", L"句柄或基址"};

constexpr int kIdEdit = 10, kIdButton = 11, kIdResults = 12;
// Design sizes (96 DPI).
constexpr int kWidth = 760, kHeight = 440, kMargin = 8, kRow = 24, kButtonWidth = 80;

}  // namespace

FindWindow::FindWindow(HWND owner, WindowThreadHandoff& handoff, ProcessRowFeed& rows,
                       std::function<void()> showProcessesPage)
    : owner_(owner),
      handoff_(handoff),
      rows_(rows),
      showProcessesPage_(std::move(showProcessesPage)),
      search_(handoff) {}

FindWindow::~FindWindow() {
  if (hwnd()) ::DestroyWindow(hwnd());
}

void FindWindow::Open() {
  if (!hwnd()) {
    ClassInfo cls{kClassName};
    cls.background = ::GetSysColorBrush(COLOR_BTNFACE);
    cls.smallIcon = reinterpret_cast<HICON>(::GetClassLongPtrW(owner_, GCLP_HICONSM));
    cls.icon = reinterpret_cast<HICON>(::GetClassLongPtrW(owner_, GCLP_HICON));
    dpi_ = ui::Dpi::ForWindow(owner_);
    if (!Create(cls, WS_EX_CONTROLPARENT, kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                dpi_.Scale(kWidth), dpi_.Scale(kHeight), owner_, nullptr) ||
        !CreateControls()) {
      if (hwnd()) ::DestroyWindow(hwnd());
      return;
    }
    ApplyDpi(dpi_);
    PlaceOverOwner();
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
  }
  if (::IsIconic(hwnd())) ::ShowWindow(hwnd(), SW_RESTORE);
  ::SetForegroundWindow(hwnd());
  ::SetFocus(edit_);
  ::SendMessageW(edit_, EM_SETSEL, 0, -1);
}

// Over the main window, a little down and to the right, inside the work area.
void FindWindow::PlaceOverOwner() {
  RECT owner{}, self{}, work{};
  ::GetWindowRect(owner_, &owner);
  ::GetWindowRect(hwnd(), &self);
  MONITORINFO monitor{sizeof monitor};
  if (!::GetMonitorInfoW(::MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  work = monitor.rcWork;
  const int w = self.right - self.left, h = self.bottom - self.top;
  const int x = std::clamp(static_cast<int>(owner.left) + dpi_.Scale(40), static_cast<int>(work.left),
                           std::max(static_cast<int>(work.left), static_cast<int>(work.right) - w));
  const int y = std::clamp(static_cast<int>(owner.top) + dpi_.Scale(60), static_cast<int>(work.top),
                           std::max(static_cast<int>(work.top), static_cast<int>(work.bottom) - h));
  ::SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FindWindow::Close() {
  if (hwnd()) ::DestroyWindow(hwnd());
}

bool FindWindow::CreateControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                            0, 0, hwnd(), reinterpret_cast<HMENU>(kIdEdit), instance, nullptr);
  button_ = ::CreateWindowExW(0, L"BUTTON", kSearchButton, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0,
                              0, 0, hwnd(), reinterpret_cast<HMENU>(kIdButton), instance, nullptr);
  status_ = ::CreateWindowExW(0, L"STATIC", kStatusIdle, WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, 0,
                              0, 0, hwnd(), nullptr, instance, nullptr);
  if (!edit_ || !button_ || !status_ || !results_.Create(hwnd(), kIdResults)) return false;
  ::SendMessageW(edit_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(kEditHint));
  ::SetWindowLongPtrW(results_.hwnd(), GWL_STYLE, ::GetWindowLongPtrW(results_.hwnd(), GWL_STYLE) | WS_TABSTOP);
  ::ShowWindow(results_.hwnd(), SW_SHOW);
  using A = ui::ColumnAlign;
  results_.SetColumns({{kColumns[fcProcess], A::Left, 130},
                       {kColumns[fcPID], A::Right, 60},
                       {kColumns[fcType], A::Left, 80},
                       {kColumns[fcName], A::Left, 360, 0, true},
                       {kColumns[fcValue], A::Right, 130}});
  results_.onGetText = [](const ui::TreeNode& node, int column) {
    return FindResultCellText(*node.As<FindResult>(), column);
  };
  results_.onDoubleClick = [this](ui::TreeNode* node) {
    if (node) GoToFocusedResult();
  };
  return true;
}

void FindWindow::ApplyDpi(const ui::Dpi& dpi) {
  dpi_ = dpi;
  font_.reset(ui::CreateUiFont(dpi_));
  for (HWND w : {edit_, button_, status_}) ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  results_.ApplyDpi(dpi_);
  Layout();
}

void FindWindow::Layout() {
  if (!status_) return;
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  auto S = [this](int v) { return dpi_.Scale(v); };
  const int m = S(kMargin), row = S(kRow), bw = S(kButtonWidth);
  const int editWidth = std::max(0, static_cast<int>(rc.right) - 3 * m - bw);
  ::MoveWindow(edit_, m, m, editWidth, row, TRUE);
  ::MoveWindow(button_, m + editWidth + m, m, bw, row, TRUE);
  const int statusTop = m + row + S(4);
  ::MoveWindow(status_, m, statusTop, std::max(0, static_cast<int>(rc.right) - 2 * m), row, TRUE);
  const int listTop = statusTop + row + S(4);
  ::MoveWindow(results_.hwnd(), m, listTop, std::max(0, static_cast<int>(rc.right) - 2 * m),
               std::max(0, static_cast<int>(rc.bottom) - listTop - m), TRUE);
}

void FindWindow::StartSearch() {
  wchar_t buf[512] = {};
  ::GetWindowTextW(edit_, buf, 512);
  const std::wstring text = buf;
  search_.Cancel();
  {
    ui::TreeGrid::UpdateBlock block(results_);
    results_.Clear();
  }
  if (text.empty()) {
    SetStatus(kStatusIdle);
    return;
  }
  SetStatus(FindStatusText(FindState::Running, 0, 0, 0));
  FindSearch::Events events;
  events.onResults = [this](std::vector<FindResult> results) { AddResults(std::move(results)); };
  events.onProgress = [this](size_t done, size_t total) {
    SetStatus(FindStatusText(FindState::Running, done, total, results_.RowCount()));
  };
  events.onEnd = [this](FindState state, size_t done, size_t total) {
    if (hwnd()) SetStatus(FindStatusText(state, done, total, results_.RowCount()));
  };
  search_.Start(text, std::move(events));
}

void FindWindow::AddResults(std::vector<FindResult> results) {
  const bool first = results_.RowCount() == 0;
  {
    ui::TreeGrid::UpdateBlock block(results_);
    for (FindResult& r : results) results_.AddRow(nullptr, std::move(r));
  }
  if (first && results_.First()) results_.SetFocusedNode(results_.First());
}

bool FindWindow::GoToFocusedResult() {
  const ui::TreeNode* node = results_.FocusedNode();
  if (!node) return false;
  const FindResult& r = *node->As<FindResult>();
  ProcessRowRequest request;
  request.pid = r.PID;
  request.module = r.What == FindResult::Module;
  request.handle = request.module ? 0 : r.Value;
  if (request.module) request.imageName = r.Name;
  if (showProcessesPage_) showProcessesPage_();
  return rows_.Request(request);
}

void FindWindow::SetStatus(const std::wstring& text) {
  if (status_) ::SetWindowTextW(status_, text.c_str());
}

std::wstring FindWindow::StatusText() const {
  wchar_t buf[256] = {};
  ::GetWindowTextW(status_, buf, 256);
  return buf;
}

bool FindWindow::PreTranslateMessage(MSG& msg) {
  if (!hwnd() || (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd))) return false;
  if (msg.message == WM_KEYDOWN) {
    const bool inResults = msg.hwnd == results_.hwnd() || ::IsChild(results_.hwnd(), msg.hwnd);
    switch (msg.wParam) {
      case VK_ESCAPE:
        // The first Esc stops a running search; with none running it closes the window.
        if (search_.Running()) search_.Cancel();
        else Close();
        return true;
      case VK_RETURN:
        if (inResults) GoToFocusedResult();
        else StartSearch();
        return true;
      case 'F':
        if (::GetKeyState(VK_CONTROL) < 0) {
          ::SetFocus(edit_);
          ::SendMessageW(edit_, EM_SETSEL, 0, -1);
          return true;
        }
        break;
      default: break;
    }
  }
  return ::IsDialogMessageW(hwnd(), &msg) != FALSE;
}

LRESULT FindWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdButton || LOWORD(wParam) == IDOK) StartSearch();
      return 0;
    case WM_SIZE: Layout(); return 0;
    case WM_CONTEXTMENU: {
      ContextMenu menu;
      menu.Add(kExport, [this] { ExportListWithDialog(hwnd(), results_); });
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (at.x == -1 && at.y == -1) {  // from the keyboard: at the list
        RECT rc{};
        ::GetWindowRect(results_.hwnd(), &rc);
        at = {rc.left + 8, rc.top + 8};
      }
      menu.Show(hwnd(), at);
      return 0;
    }
    case WM_DPICHANGED: {
      ApplyDpi(ui::Dpi(HIWORD(wParam)));
      const RECT* r = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(hwnd(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE: ::DestroyWindow(hwnd()); return 0;
    case WM_DESTROY: search_.Cancel(); return 0;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace vantrel::app
