// The program by keyboard, with real key strokes: X events through the XTest extension (xdotool, run by
// keyboard_test.sh beside this test) into the real main window and the find window under Xvfb.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/main_window.h"
#include "app/pages/processes_page.h"
#include "app/pages/windows_page.h"
#include "app/pages/page_of.h"
#include "core/handles/find_results.h"
#include "page_window.h"
#include "proc_children.h"

namespace vantrel::app {
namespace {

using test::PageWindow;

// Dispatches as the program's loop does (the windows see their keys first) until done() or the bound; afterEach
// runs after every message.
bool PumpProgram(MainWindow& main, const std::function<bool()>& done, DWORD boundMs = 10000,
                 const std::function<void()>& afterEach = nullptr) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!main.PreTranslateMessage(msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
      if (afterEach) afterEach();
    }
    if (done()) return true;
    if (::GetTickCount64() - start > boundMs) return false;
    ::Sleep(5);
  }
}

// Hands xdotool commands to keyboard_test.sh and pumps until they have all been run.
bool Keys(MainWindow& main, const std::string& commands, const std::function<void()>& afterEach = nullptr) {
  wchar_t unixDir[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"VANTREL_KEYS_DIR", unixDir, MAX_PATH)) return false;
  std::wstring dir = L"Z:" + std::wstring(unixDir);
  for (wchar_t& c : dir)
    if (c == L'/') c = L'\\';
  const std::wstring ready = dir + L"\\keys", draft = dir + L"\\keys.tmp";
  {
    std::ofstream out(draft.c_str(), std::ios::binary);
    out << commands << "\n";
  }
  if (!::MoveFileExW(draft.c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  return PumpProgram(main, [&] { return ::GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES; }, 20000,
                     afterEach);
}

// Presses the key count times; where the focus went after each press, in order.
std::vector<HWND> FocusTrail(MainWindow& main, const std::string& key, int count) {
  std::string commands;
  for (int i = 0; i < count; ++i) commands += "key " + key + "\n";
  std::vector<HWND> trail;
  HWND last = ::GetFocus();
  Keys(main, commands, [&] {
    const HWND now = ::GetFocus();
    if (now != last) trail.push_back(now);
    last = now;
  });
  return trail;
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// A visible window of this process of a class ("#32770" a message box, "#32768" a menu), seen from another
// thread while the window thread sits in its modal loop.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::wstring cls) : cls_(std::move(cls)), thread_([this] { Run(); }) {}
  ~ModalWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::atomic<bool> seen{false};
  RECT rect{};  // where it showed
  std::wstring text;

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* self = reinterpret_cast<ModalWatcher*>(lp);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId() || self->cls_ != cls || !::IsWindowVisible(hwnd)) return TRUE;
    ::GetWindowRect(hwnd, &self->rect);
    wchar_t buf[512] = {};
    ::GetWindowTextW(::GetDlgItem(hwnd, 0xFFFF), buf, 512);
    self->text = buf;
    self->seen = true;
    return FALSE;
  }
  void Run() {
    for (int i = 0; i < 1000 && !seen && !stop_; ++i) {
      ::EnumWindows(&ModalWatcher::Visit, reinterpret_cast<LPARAM>(this));
      if (!seen) ::Sleep(10);
    }
  }
  std::wstring cls_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::wstring OwnFolder() {
  wchar_t self[MAX_PATH];
  const std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\'));
}

class Keyboard : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    children_ = new vantrel::test::ChildProcesses;
    library_ = vantrel::test::TempFolder() + L"\\vantrel-kbd-" + std::to_wstring(::GetTickCount64()) + L".dll";
    ::CopyFileW((OwnFolder() + L"\\find_probe.dll").c_str(), library_.c_str(), FALSE);
    child_ = vantrel::test::StartHandlesChild(*children_, vantrel::test::TempFolder(), 20, 60000, library_);
    window_ = new PageWindow;
    if (!window_->main->CreateAndStart()) return;
    window_->main->ShowAtStart(SW_SHOWNORMAL);
    ::SetForegroundWindow(window_->main->hwnd());
  }
  static void TearDownTestSuite() {
    delete window_;
    delete children_;
    ::DeleteFileW(library_.c_str());
  }
  void SetUp() override {
    ASSERT_NE(child_, 0u);
    ASSERT_NE(main().hwnd(), nullptr);
    if (FindWindow* find = main().Finder()) find->Close();
    main().SetActivePage(kPageProcesses);
    ::SetForegroundWindow(main().hwnd());
    PumpProgram(main(), [] { return false; }, 200);
  }
  static MainWindow& main() { return *window_->main; }
  static ProcessesPage& processes() { return PageOf<ProcessesPage>(main(), kPageProcesses); }
  // Focuses the process's row in the list, the keyboard focus in the list.
  static bool FocusRow(uint32_t pid) {
    ui::TreeNode* node = nullptr;
    PumpProgram(main(), [&] {
      main().RefreshActivePage();
      node = processes().FindProcessNode(pid);
      return node != nullptr;
    });
    if (!node) return false;
    processes().tree().SetFocusedNode(node);
    ::SetFocus(processes().tree().listHwnd());
    return true;
  }

  static vantrel::test::ChildProcesses* children_;
  static PageWindow* window_;
  static DWORD child_;
  static std::wstring library_;
};
vantrel::test::ChildProcesses* Keyboard::children_ = nullptr;
PageWindow* Keyboard::window_ = nullptr;
DWORD Keyboard::child_ = 0;
std::wstring Keyboard::library_;

bool EndsWithIgnoringCase(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && ContainsIgnoringCase(s.substr(s.size() - tail.size()), tail);
}

TEST_F(Keyboard, FindAFileAKeyAndADllThenShowTheRowOnTheProcessesPage) {
  const std::wstring id = std::to_wstring(child_);
  const std::wstring libraryName = library_.substr(library_.find_last_of(L'\\') + 1);
  struct Case {
    std::wstring text, type, tail;
    ProcessDetailsPages::SubPage subPage;
  } const cases[] = {
      {L"known-" + id + L".txt", L"File", L"\\known-" + id + L".txt", ProcessDetailsPages::kHandles},
      {L"VantrelHandles" + id, L"Key", L"\\Software\\VantrelHandles" + id, ProcessDetailsPages::kHandles},
      {libraryName, L"DLL", L"\\" + libraryName, ProcessDetailsPages::kModules},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    ::SetForegroundWindow(main().hwnd());
    ASSERT_TRUE(Keys(main(), "key ctrl+f"));
    FindWindow* find = main().Finder();
    ASSERT_TRUE(find && find->IsOpen());
    ASSERT_TRUE(PumpProgram(main(), [&] { return ::GetFocus() == find->Edit(); }));
    ASSERT_TRUE(Keys(main(), "type --delay 10 '" + Narrow(c.text) + "'\nkey Return"));
    ASSERT_TRUE(PumpProgram(main(), [&] { return !find->Search().Running(); }, 30000)) << Narrow(find->StatusText());
    EXPECT_EQ(find->StatusText().rfind(L"搜索完成", 0), 0u) << Narrow(find->StatusText());
    ui::TreeGrid& results = find->Results();
    ASSERT_EQ(results.RowCount(), 1u);
    const FindResult result = *results.First()->As<FindResult>();
    EXPECT_EQ(result.PID, child_);
    EXPECT_EQ(FindResultCellText(result, fcType), c.type);
    EXPECT_TRUE(EndsWithIgnoringCase(result.Name, c.tail)) << Narrow(result.Name);
    if (c.type == L"File") {
      EXPECT_EQ(result.Name.substr(1, 2), L":\\") << "the drive path";
    }

    // Tab from the text past the button into the results, Enter on the row.
    ASSERT_TRUE(Keys(main(), "key Tab\nkey Tab"));
    ASSERT_TRUE(PumpProgram(main(), [&] { return ::GetFocus() == results.listHwnd(); }));
    ASSERT_TRUE(Keys(main(), "key Return"));
    ProcessDetailsPages& details = processes().DetailsPages();
    ui::TreeGrid& detailList = c.subPage == ProcessDetailsPages::kHandles ? details.Handles().tree() : details.Modules().tree();
    const bool landed = PumpProgram(main(), [&] {
      const ui::TreeNode* row = processes().tree().FocusedNode();
      const ui::TreeNode* detail = detailList.FocusedNode();
      if (!row || row->As<ProcessRecord>()->PID != child_ || !detail) return false;
      if (c.subPage == ProcessDetailsPages::kHandles) return detail->As<HandleRecord>()->Handle == result.Value;
      return detail->As<ModuleRecord>()->ImageName == result.Name;
    });
    EXPECT_TRUE(landed);
    EXPECT_EQ(main().ActivePage(), kPageProcesses);
    EXPECT_TRUE(processes().DetailsPanel().Expanded());
    EXPECT_EQ(details.Selected(), c.subPage);
  }
}

TEST_F(Keyboard, EscCancelsARunningSearchAndLeavesNoStepBehindThenClosesTheWindow) {
  ::SetForegroundWindow(main().hwnd());
  ASSERT_TRUE(Keys(main(), "key ctrl+f"));
  FindWindow* find = main().Finder();
  ASSERT_TRUE(find && find->IsOpen());
  // Every file name costs a little: the search is still running when Esc arrives.
  find->Search().Options().queryFileName = [](HANDLE file) {
    ::Sleep(20);
    return QueryFileName(file);
  };
  ASSERT_TRUE(PumpProgram(main(), [&] { return ::GetFocus() == find->Edit(); }));
  ASSERT_TRUE(Keys(main(), "type --delay 10 'tmp-'\nkey Return\nsleep 0.3\nkey Escape"));
  EXPECT_FALSE(find->Search().Running());
  EXPECT_EQ(find->StatusText().rfind(L"搜索已取消", 0), 0u) << Narrow(find->StatusText());
  EXPECT_TRUE(PumpProgram(main(), [&] { return find->Search().LiveSteps() == 0; }, 5000));
  find->Search().Options().queryFileName = nullptr;
  ASSERT_TRUE(Keys(main(), "key Escape"));
  EXPECT_FALSE(find->IsOpen());
}

TEST_F(Keyboard, TheNameFilterAppliesAsYouTypeAndEscShowsEveryRowAgain) {
  // A process of that name exists for sure: a copy of the helper child under it.
  const std::wstring copy = vantrel::test::TempFolder() + L"\\svchost.exe";
  ASSERT_TRUE(::CopyFileW(children_->Exe().c_str(), copy.c_str(), FALSE));
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  std::wstring line = L"\"" + copy + L"\" wait " + children_->EventName();
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ::CloseHandle(pi.hThread);
  ASSERT_TRUE(FocusRow(child_));
  const size_t all = processes().tree().RowCount();

  auto onlySvchost = [] {
    ui::TreeGrid& grid = processes().tree();
    if (grid.RowCount() == 0) return false;
    for (ui::TreeNode* n = grid.First(); n; n = grid.Next(n))
      if (n->As<ProcessRecord>()->Name.rfind(L"svchost", 0) != 0) return false;
    return true;
  };
  ASSERT_TRUE(Keys(main(), "key ctrl+e"));
  EXPECT_EQ(::GetFocus(), main().NameFilter().editHwnd());
  ASSERT_TRUE(Keys(main(), "type --delay 10 svchost"));
  EXPECT_TRUE(PumpProgram(main(), onlySvchost, 1000)) << "within a second of the last key, without Enter";
  ASSERT_TRUE(Keys(main(), "key Escape"));
  EXPECT_TRUE(PumpProgram(main(), [&] { return processes().tree().RowCount() + 2 >= all; }, 1000));
  EXPECT_EQ(main().NameFilter().Text(), L"");

  ::TerminateProcess(pi.hProcess, 0);
  ::WaitForSingleObject(pi.hProcess, 5000);
  ::CloseHandle(pi.hProcess);
  ::DeleteFileW(copy.c_str());
}

TEST_F(Keyboard, DelOnAChildsRowAsksThenYesEndsIt) {
  vantrel::test::ChildProcesses own;
  const DWORD pid = own.Start(L"wait", L"");
  ASSERT_NE(pid, 0u);
  ::SendMessageW(main().AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  ASSERT_TRUE(main().AutoRefresh());
  ASSERT_TRUE(FocusRow(pid));
  {
    ModalWatcher box(L"#32770");
    ASSERT_TRUE(Keys(main(), "key Delete\nsleep 1\nkey Return"));
    EXPECT_TRUE(box.seen);
    // The kill button's own question, naming what it ends.
    EXPECT_EQ(box.text, L"你真的想要终止选择的进程?\r\n\r\n[" + std::to_wstring(pid) + L"]proc_child.exe");
  }
  EXPECT_TRUE(PumpProgram(main(), [&] { return ::WaitForSingleObject(own.Handle(0), 0) == WAIT_OBJECT_0; }, 15000));
  PumpProgram(main(), [] { return !processes().Ending(); });
  ::SendMessageW(main().AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
}

TEST_F(Keyboard, ShiftF10OpensTheRowsMenuAtTheRowAndCtrlTabWalksEveryPage) {
  ASSERT_TRUE(FocusRow(child_));
  ui::TreeGrid& grid = processes().tree();
  {
    ModalWatcher menu(L"#32768");
    ASSERT_TRUE(Keys(main(), "mousemove 2 2\nkey shift+F10\nsleep 0.8\nkey Escape"));
    ASSERT_TRUE(menu.seen);
    RECT row{};
    row.left = LVIR_BOUNDS;
    const LRESULT focused = ::SendMessageW(grid.listHwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    ASSERT_GE(focused, 0);
    ::SendMessageW(grid.listHwnd(), LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&row));
    ::MapWindowPoints(grid.listHwnd(), nullptr, reinterpret_cast<POINT*>(&row), 2);
    EXPECT_GE(menu.rect.top, row.top - 4);
    EXPECT_LE(menu.rect.top, row.bottom + 4) << "at the row, not at the mouse in the corner";
    EXPECT_GT(menu.rect.left, row.left);
  }

  std::set<int> visited{main().ActivePage()};
  int visible = 0;
  for (int page = 0; page < kPageCount; ++page) visible += main().Tabs().TabVisible(page) ? 1 : 0;
  for (int i = 0; i < visible; ++i) {
    const int before = main().ActivePage();
    ASSERT_TRUE(Keys(main(), "key ctrl+Tab"));
    ASSERT_TRUE(PumpProgram(main(), [&] { return main().ActivePage() != before; }, 3000)) << "step " << i;
    visited.insert(main().ActivePage());
  }
  EXPECT_EQ(static_cast<int>(visited.size()), visible);
  EXPECT_EQ(main().ActivePage(), kPageProcesses) << "round the last page to the first";
  ASSERT_TRUE(Keys(main(), "key ctrl+shift+Tab"));
  EXPECT_TRUE(PumpProgram(main(), [&] { return main().ActivePage() == kPagePerformance; }, 3000));
}

// Tab goes round the top band, the list, the details panel and the buttons, never into a hidden window, and
// Shift+Tab goes back the same way; also from a page without a list, left with the focus in the hidden name filter.
TEST_F(Keyboard, TabGoesRoundTheBandTheListTheDetailsAndTheButtonsAndShiftTabGoesBack) {
  using Is = std::function<bool(HWND)>;
  auto is = [](HWND w) -> Is { return [w](HWND f) { return f == w; }; };
  auto in = [](HWND w) -> Is { return [w](HWND f) { return f != w && ::IsChild(w, f); }; };
  ProcessesPage& page = processes();
  const HWND filter = main().NameFilter().editHwnd(), interval = main().IntervalEdit().editHwnd(),
             autoSwitch = main().AutoSwitch().buttonHwnd(), list = page.tree().listHwnd(),
             header = page.DetailsPanel().headerHwnd(), details = page.DetailsPages().hwnd(),
             bar = main().Actions().hwnd(), performance = main().PageAt(kPagePerformance).hwnd();
  struct Case {
    const char* what;
    bool unfolded;
    std::string setUp;  // keys pressed on the processes page, the focus in its list
    int page;
    std::vector<std::pair<const char*, Is>> order;
  } const cases[] = {
      {"processes, details folded", false, "", kPageProcesses,
       {{"filter", is(filter)}, {"interval", is(interval)}, {"switch", is(autoSwitch)}, {"list", is(list)},
        {"details header", is(header)}, {"buttons", in(bar)}}},
      {"processes, details unfolded", true, "", kPageProcesses,
       {{"filter", is(filter)}, {"interval", is(interval)}, {"list", is(list)}, {"details header", is(header)},
        {"details", in(details)}, {"buttons", in(bar)}}},
      {"performance, from the name filter", false, "key ctrl+e\nkey ctrl+shift+Tab", kPagePerformance,
       {{"interval", is(interval)}, {"switch", is(autoSwitch)}, {"page", in(performance)}, {"buttons", in(bar)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    main().SetActivePage(kPageProcesses);
    page.DetailsPanel().SetExpanded(c.unfolded);
    ASSERT_TRUE(FocusRow(child_));
    if (!c.setUp.empty()) {
      ASSERT_TRUE(Keys(main(), c.setUp));
    }
    ASSERT_EQ(main().ActivePage(), c.page);
    ASSERT_TRUE(::IsWindowVisible(::GetFocus())) << "the focus left behind in a hidden window";

    const std::vector<HWND> forward = FocusTrail(main(), "Tab", 24);
    ASSERT_EQ(forward.size(), 24u) << "every press moves the focus";
    for (HWND f : forward) EXPECT_TRUE(::IsWindowVisible(f) && ::IsWindowEnabled(f));
    const auto round = std::find(forward.begin() + 1, forward.end(), forward.front());
    ASSERT_NE(round, forward.end()) << "Tab comes round again";
    std::vector<HWND> cycle(forward.begin(), round);
    // From the first landmark, each next one comes later in the round.
    const auto first = std::find_if(cycle.begin(), cycle.end(), c.order.front().second);
    ASSERT_NE(first, cycle.end()) << c.order.front().first;
    std::rotate(cycle.begin(), first, cycle.end());
    size_t at = 0;
    for (const auto& [name, matches] : c.order) {
      const auto found = std::find_if(cycle.begin() + static_cast<std::ptrdiff_t>(at), cycle.end(), matches);
      ASSERT_NE(found, cycle.end()) << name << " in its place";
      at = static_cast<size_t>(found - cycle.begin());
    }

    const std::vector<HWND> backward = FocusTrail(main(), "shift+Tab", 12);
    ASSERT_EQ(backward.size(), 12u);
    for (size_t k = 0; k < backward.size(); ++k)
      EXPECT_EQ(backward[k], forward[forward.size() - 2 - k]) << "back step " << k;

    if (c.unfolded) {
      // Folding the panel with the focus inside it leaves the focus on its header.
      ::SetFocus(*std::find_if(forward.begin(), forward.end(), in(details)));
      page.DetailsPanel().SetExpanded(false);
      EXPECT_EQ(::GetFocus(), header);
    }
  }
  main().SetActivePage(kPageProcesses);
}

// The windows page's process drop-down (a ComboBoxEx) answers the arrow keys: the next process is chosen and its
// windows are read.
TEST_F(Keyboard, TheWindowsPagesProcessDropDownMovesWithTheArrowKeys) {
  main().SetActivePage(kPageWindows);
  WindowsPage& page = PageOf<WindowsPage>(main(), kPageWindows);
  const HWND list = page.ProcessList();
  ASSERT_GE(::SendMessageW(list, CB_GETCOUNT, 0, 0), 2);
  ::SendMessageW(list, CB_SETCURSEL, 0, 0);
  ::SetFocus(list);
  ASSERT_TRUE(::GetFocus() == list || ::IsChild(list, ::GetFocus()));
  const auto second = static_cast<int64_t>(::SendMessageW(list, CB_GETITEMDATA, 1, 0));
  ASSERT_TRUE(Keys(main(), "key Down"));
  EXPECT_EQ(page.ChosenPid(), second);
  ASSERT_TRUE(PumpProgram(main(), [&] { return !page.ReadPending(); }));
  for (ui::TreeNode* n = page.tree().First(); n; n = page.tree().Next(n))
    EXPECT_EQ(n->As<WindowInfo>()->Process, static_cast<uint32_t>(second));
  main().SetActivePage(kPageProcesses);
}

}  // namespace
}  // namespace vantrel::app
