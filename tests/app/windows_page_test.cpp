// The windows page in the real window under Wine: a process's windows as a tree by parent and owner, the
// invisible-windows switch, the details, the actions after their confirmation, and a hung window that never
// stops the window from answering.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "../system/proc_children.h"
#include "app/pages/processes_page.h"
#include "app/pages/windows_page.h"
#include "box_answerer.h"
#include "core/os/ascii.h"
#include "core/windows/window_info.h"
#include "page_window.h"

namespace vantrel::app {
namespace {

using test::PumpUntil;

uint32_t H(HWND hwnd) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)); }

struct WindowsPageWindow : test::PageWindow {
  WindowsPage& page() { return Page<WindowsPage>(kPageWindows); }
  ui::TreeGrid& grid() { return page().tree(); }
  // Focuses the process on the processes page, as the user does; the windows page follows it.
  bool FollowProcess(uint32_t pid) {
    ProcessesPage& processes = Page<ProcessesPage>(kPageProcesses);
    for (int i = 0; i < 50 && !processes.FindProcessNode(pid); ++i) {
      ::Sleep(100);
      main->RefreshAllPages();
    }
    processes.tree().SetFocusedNode(processes.FindProcessNode(pid));
    return page().ChosenPid() == pid && WaitForList();
  }
  bool WaitForList() {
    return PumpUntil([this] { return !page().ReadPending(); });
  }
  std::wstring Cell(HWND hwnd, int column) {
    ui::TreeNode* node = page().FindWindowNode(H(hwnd));
    return node ? grid().onGetText(*node, column) : L"<no row>";
  }
  uint32_t TreeParent(HWND hwnd) {
    ui::TreeNode* node = page().FindWindowNode(H(hwnd));
    if (!node) return 0xFFFFFFFF;
    return node->parent() ? node->parent()->As<WindowInfo>()->Handle : 0;
  }
  std::map<std::wstring, std::wstring> InspectorItems() {
    std::map<std::wstring, std::wstring> shown;
    ui::PropertyInspector& insp = page().Inspector();
    for (auto id : insp.ShownItems())
      if (!insp.IsGroup(id)) shown[insp.Caption(id)] = insp.Value(id);
    return shown;
  }
};

// Windows of this test process: a main window with a child, an owned dialog, and a hidden window with a child.
class OwnWindows {
 public:
  OwnWindows() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassW(&wc);
    main = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Main window", nullptr);
    child = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, main, nullptr, nullptr, nullptr);
    owned = Make(WS_EX_DLGMODALFRAME, WS_POPUP | WS_CAPTION | WS_VISIBLE, L"Owned dialog", main);
    hidden = Make(0, WS_OVERLAPPEDWINDOW, L"Hidden", nullptr);
    hiddenChild = ::CreateWindowExW(0, L"STATIC", L"under hidden", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, hidden,
                                    nullptr, nullptr, nullptr);
  }
  ~OwnWindows() {
    for (HWND h : {owned, main, hidden})
      if (::IsWindow(h)) ::DestroyWindow(h);
  }
  bool Made() const { return main && child && owned && hidden && hiddenChild; }
  static constexpr wchar_t kClass[] = L"VantrelWinPageTest";
  HWND main{}, child{}, owned{}, hidden{}, hiddenChild{};

 private:
  static HWND Make(DWORD ex, DWORD style, const wchar_t* text, HWND owner) {
    return ::CreateWindowExW(ex, kClass, text, style, 10, 20, 300, 200, owner, nullptr, ::GetModuleHandleW(nullptr),
                             nullptr);
  }
};

TEST(WindowsPage, TreeByParentAndOwnerWithTheInvisibleSwitchAndDetails) {
  OwnWindows own;
  ASSERT_TRUE(own.Made());
  WindowsPageWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.main->SetActivePage(kPageWindows);
  ASSERT_TRUE(w.FollowProcess(::GetCurrentProcessId()));

  EXPECT_EQ(w.Cell(own.main, Index(WindowColumn::ClassName)), OwnWindows::kClass);
  EXPECT_EQ(w.Cell(own.main, Index(WindowColumn::Text)), L"Main window");
  EXPECT_EQ(w.Cell(own.main, Index(WindowColumn::Handle)), HexText(H(own.main)));
  EXPECT_EQ(w.TreeParent(own.main), 0u);
  EXPECT_EQ(w.TreeParent(own.owned), H(own.main)) << "a top-level dialog under its owner";
  EXPECT_EQ(w.TreeParent(own.child), H(own.main));
  EXPECT_EQ(w.page().FindWindowNode(H(own.hidden)), nullptr) << "invisible windows are off";
  EXPECT_EQ(w.page().FindWindowNode(H(own.hiddenChild)), nullptr) << "a visible child of an invisible window too";
  EXPECT_EQ(w.main->Tabs().Caption(kPageWindows), L" 窗口 (" + std::to_wstring(w.grid().RowCount()) + L") ");
  // A window with a text is bold in the handle and class columns only; one without is not.
  ui::TreeNode* mainRow = w.page().FindWindowNode(H(own.main));
  ASSERT_NE(mainRow, nullptr);
  EXPECT_TRUE(w.grid().onGetCellStyle(*mainRow, Index(WindowColumn::Handle)).bold);
  EXPECT_TRUE(w.grid().onGetCellStyle(*mainRow, Index(WindowColumn::ClassName)).bold);
  EXPECT_FALSE(w.grid().onGetCellStyle(*mainRow, Index(WindowColumn::Text)).bold);
  EXPECT_FALSE(w.grid().onGetCellStyle(*w.page().FindWindowNode(H(own.child)), Index(WindowColumn::ClassName)).bold);

  ::SendMessageW(w.page().InvisibleSwitch().buttonHwnd(), BM_CLICK, 0, 0);  // refreshes
  ASSERT_TRUE(w.WaitForList());
  ui::TreeNode* hiddenRow = w.page().FindWindowNode(H(own.hidden));
  ASSERT_NE(hiddenRow, nullptr);
  EXPECT_EQ(hiddenRow->textColor(), static_cast<uint32_t>(RGB(128, 128, 128)));
  EXPECT_EQ(w.TreeParent(own.hiddenChild), H(own.hidden));
  EXPECT_EQ(w.page().FindWindowNode(H(own.main))->textColor(), grid::kDefaultColor);

  // The details of the focused window.
  w.grid().SetFocusedNode(w.page().FindWindowNode(H(own.owned)));
  auto items = w.InspectorItems();
  EXPECT_EQ(items[L"句柄"], HexText(H(own.owned)));
  EXPECT_EQ(items[L"文本"], L"Owned dialog");
  EXPECT_EQ(items[L"Class"], OwnWindows::kClass);
  EXPECT_EQ(items[L"进程"], std::to_wstring(::GetCurrentProcessId()));
  EXPECT_EQ(items[L"父窗口"], HexText(H(own.main)));
  EXPECT_EQ(items[L"宽度"], L"300");
  EXPECT_EQ(items[L"高度"], L"200");
  EXPECT_TRUE(w.page().VisibilityButton().Enabled());
  EXPECT_EQ(test::WindowText(w.page().VisibilityButton().hwnd()), L"隐藏");
  w.grid().SetFocusedNode(hiddenRow);
  EXPECT_EQ(test::WindowText(w.page().VisibilityButton().hwnd()), L"显示");
  // No window focused: the inspector shows no window's facts and the buttons are off.
  w.grid().SetFocusedNode(nullptr);
  EXPECT_TRUE(w.InspectorItems().empty());
  EXPECT_FALSE(w.page().VisibilityButton().Enabled());
  EXPECT_FALSE(w.page().DetailsPanel().Expanded()) << "collapsed at start";
  w.grid().onDoubleClick(hiddenRow);
  EXPECT_TRUE(w.page().DetailsPanel().Expanded());
}

TEST(WindowsPage, HideShowAndCloseActOnlyAfterYes) {
  OwnWindows own;
  ASSERT_TRUE(own.Made());
  WindowsPageWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.main->SetActivePage(kPageWindows);
  w.page().InvisibleSwitch().SetOn(true);
  ASSERT_TRUE(w.FollowProcess(::GetCurrentProcessId()));
  auto focus = [&](HWND hwnd) {
    ui::TreeNode* row = w.page().FindWindowNode(H(hwnd));
    w.grid().SetFocusedNode(row);
    return row != nullptr;
  };
  const std::wstring handle = std::to_wstring(H(own.owned));

  ASSERT_TRUE(focus(own.owned));
  {
    BoxAnswerer no(IDNO);
    ::SendMessageW(w.page().CloseButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(no.found);
    EXPECT_EQ(no.seen.text, L"Do you really want to 关闭 window [" + handle + L"]VantrelWinPageTest?");
  }
  ASSERT_TRUE(w.WaitForList());
  EXPECT_TRUE(::IsWindow(own.owned)) << "No changes nothing";

  ASSERT_TRUE(focus(own.owned));
  {
    BoxAnswerer yes(IDYES);
    ::SendMessageW(w.page().VisibilityButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(yes.found);
    EXPECT_EQ(yes.seen.text, L"Do you really want to 隐藏 window [" + handle + L"]VantrelWinPageTest?");
  }
  EXPECT_FALSE(::IsWindowVisible(own.owned));
  ASSERT_TRUE(w.WaitForList());
  ASSERT_TRUE(focus(own.owned));
  EXPECT_EQ(test::WindowText(w.page().VisibilityButton().hwnd()), L"显示") << "the refresh shows it hidden";
  {
    BoxAnswerer yes(IDYES);
    ::SendMessageW(w.page().VisibilityButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(yes.found);
    EXPECT_EQ(yes.seen.text, L"Do you really want to 显示 window [" + handle + L"]VantrelWinPageTest?");
  }
  EXPECT_TRUE(::IsWindowVisible(own.owned));
  ASSERT_TRUE(w.WaitForList());

  ASSERT_TRUE(focus(own.owned));
  {
    BoxAnswerer yes(IDYES);
    ::SendMessageW(w.page().CloseButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(yes.found);
  }
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(own.owned); })) << "WM_CLOSE was posted";
  w.page().RefreshWindows();
  ASSERT_TRUE(w.WaitForList());
  EXPECT_EQ(w.page().FindWindowNode(H(own.owned)), nullptr);
  EXPECT_NE(w.page().FindWindowNode(H(own.main)), nullptr) << "only the target was closed";
}

// A notepad started by the test: its main window with its class and title under the chosen process.
TEST(WindowsPage, AnotherProcessWindowWithClassAndTitle) {
  wchar_t dir[MAX_PATH];
  ::GetWindowsDirectoryW(dir, MAX_PATH);
  std::wstring line = std::wstring(L"\"") + dir + L"\\notepad.exe\"";
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  struct End {
    HANDLE h;
    ~End() {
      ::TerminateProcess(h, 0);
      ::WaitForSingleObject(h, 5000);
    }
  } end{pi.hProcess};
  ::WaitForInputIdle(pi.hProcess, 5000);
  struct Found {
    DWORD pid;
    HWND hwnd;
    // The first visible, unowned window of the process.
    static BOOL CALLBACK Visit(HWND h, LPARAM p) {
      auto* f = reinterpret_cast<Found*>(p);
      DWORD pid = 0;
      ::GetWindowThreadProcessId(h, &pid);
      if (pid != f->pid || !::IsWindowVisible(h) || ::GetWindow(h, GW_OWNER)) return TRUE;
      f->hwnd = h;
      return FALSE;
    }
  } found{pi.dwProcessId, nullptr};
  ASSERT_TRUE(PumpUntil([&] {
    ::EnumWindows(&Found::Visit, reinterpret_cast<LPARAM>(&found));
    return found.hwnd != nullptr;
  }));
  wchar_t cls[256] = {};
  ::GetClassNameW(found.hwnd, cls, 256);

  WindowsPageWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ASSERT_TRUE(w.FollowProcess(pi.dwProcessId));
  EXPECT_EQ(w.Cell(found.hwnd, Index(WindowColumn::ClassName)), cls);
  EXPECT_EQ(w.Cell(found.hwnd, Index(WindowColumn::Text)), test::WindowText(found.hwnd));
  EXPECT_FALSE(w.Cell(found.hwnd, Index(WindowColumn::Text)).empty());
  EXPECT_EQ(w.TreeParent(found.hwnd), 0u);
  for (ui::TreeNode* n = w.grid().First(); n; n = w.grid().Next(n))
    EXPECT_EQ(n->As<WindowInfo>()->Process, pi.dwProcessId);
}

TEST(WindowsPage, AHungWindowsRowAppearsWithAnEmptyTextWhileTheWindowKeepsAnswering) {
  vantrel::test::ChildProcesses children;
  const DWORD hung = children.Start(L"hung", L"");
  ASSERT_NE(hung, 0u);
  WindowsPageWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.main->SetActivePage(kPageWindows);
  w.page().InvisibleSwitch().SetOn(true);  // its window is never shown
  ASSERT_TRUE(w.FollowProcess(hung));

  // A new read: the window thread goes on at once and handles a key typed meanwhile.
  const HWND edit = w.main->NameFilter().editHwnd();
  ::SetWindowTextW(edit, L"");
  const auto start = std::chrono::steady_clock::now();
  w.page().RefreshWindows();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  ::PostMessageW(edit, WM_CHAR, L'k', 1);
  ASSERT_TRUE(PumpUntil([&] { return test::WindowText(edit) == L"k"; }));
  EXPECT_TRUE(w.page().ReadPending()) << "the key was handled while the hung window was being asked";
  ASSERT_TRUE(w.WaitForList());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ASSERT_GE(w.grid().RowCount(), 1u);
  const WindowInfo& row = *w.grid().First()->As<WindowInfo>();
  EXPECT_EQ(row.ClassName, L"VantrelProcChild");
  EXPECT_EQ(row.Text, L"");
  EXPECT_EQ(row.Process, hung);
}

TEST(WindowsPage, ANewerReadSupersedesAnOlderOne) {
  OwnWindows own;
  ASSERT_TRUE(own.Made());
  vantrel::test::ChildProcesses children;
  const DWORD hung = children.Start(L"hung", L"");
  ASSERT_NE(hung, 0u);
  WindowsPageWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.main->SetActivePage(kPageWindows);
  w.page().InvisibleSwitch().SetOn(true);
  ASSERT_TRUE(w.FollowProcess(hung));
  // The slow read of the hung process is still on when this process is chosen: only this one's windows show.
  w.page().RefreshWindows();
  ASSERT_TRUE(w.FollowProcess(::GetCurrentProcessId()));
  ASSERT_GT(w.grid().RowCount(), 0u);
  for (ui::TreeNode* n = w.grid().First(); n; n = w.grid().Next(n))
    EXPECT_EQ(n->As<WindowInfo>()->Process, ::GetCurrentProcessId());
  EXPECT_NE(w.page().FindWindowNode(H(own.main)), nullptr);

  // The slow read is on again when no process is chosen any more: the list empties now and stays empty.
  ASSERT_TRUE(w.FollowProcess(hung));
  w.page().RefreshWindows();
  ASSERT_TRUE(w.page().ReadPending());
  ::SendMessageW(w.page().ProcessList(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  w.page().RefreshWindows();
  EXPECT_EQ(w.grid().RowCount(), 0u);
  ASSERT_TRUE(w.WaitForList());
  EXPECT_EQ(w.grid().RowCount(), 0u) << "the read of the process no longer chosen came back";
}

TEST(WindowsPage, TheProcessDropDownShowsEachProcessWithItsIconSortedIgnoringCase) {
  OwnWindows own;
  ASSERT_TRUE(own.Made());
  WindowsPageWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ASSERT_TRUE(w.FollowProcess(::GetCurrentProcessId()));
  const HWND list = w.page().ProcessList();
  EXPECT_NE(::SendMessageW(list, CBEM_GETIMAGELIST, 0, 0), 0) << "the small system image list";

  struct Item {
    std::wstring caption;
    int image;
    uint32_t pid;
  };
  std::vector<Item> items;
  const LRESULT count = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[300] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_LPARAM;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = 300;
    ASSERT_TRUE(::SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    items.push_back({text, item.iImage, static_cast<uint32_t>(item.lParam)});
  }
  ASSERT_GE(items.size(), 1u);
  for (size_t i = 1; i < items.size(); ++i)
    EXPECT_FALSE(detail::LessNoCase(items[i].caption, items[i - 1].caption))
        << "'" << std::string(items[i].caption.begin(), items[i].caption.end()) << "' after its predecessor";

  // Each shown process has the icon of its row on the processes page.
  ProcessesPage& processes = w.Page<ProcessesPage>(kPageProcesses);
  int compared = 0;
  for (const Item& item : items) {
    const ui::TreeNode* row = processes.FindProcessNode(item.pid);
    if (!row) continue;
    EXPECT_EQ(item.image, row->As<ProcessRecord>()->ImageIndexValue) << item.pid;
    ++compared;
  }
  EXPECT_GT(compared, 0);
  const auto self = std::find_if(items.begin(), items.end(), [](const Item& i) { return i.pid == ::GetCurrentProcessId(); });
  ASSERT_NE(self, items.end());
  EXPECT_GE(self->image, 0);
  EXPECT_EQ(self->caption.rfind(L" (" + std::to_wstring(::GetCurrentProcessId()) + L")"),
            self->caption.size() - std::to_wstring(::GetCurrentProcessId()).size() - 3);
}

}  // namespace
}  // namespace vantrel::app
