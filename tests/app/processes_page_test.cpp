// The processes page with the real snapshot under Wine: rows, caption, filters, tree layout, focus, sorting.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/main_window.h"
#include "app/pages/processes_page.h"
#include "app/pages/windows_page.h"
#include "app/program.h"
#include "app/pages/page_of.h"
#include "box_answerer.h"
#include "page_test_support.h"
#include "../system/proc_children.h"
#include "core/process/process_texts.h"
#include "system/process/responsiveness_probe.h"

namespace vantrel::app {
namespace {

// A notepad started by this test process, ended when the test ends.
class Notepad {
 public:
  Notepad() {
    wchar_t dir[MAX_PATH];
    ::GetWindowsDirectoryW(dir, MAX_PATH);
    std::wstring line = std::wstring(L"\"") + dir + L"\\notepad.exe\"";
    // A start can fail while a fresh prefix is still settling; try again for a while and say why it failed.
    for (int attempt = 0; attempt < 20; ++attempt) {
      STARTUPINFOW si{sizeof(si)};
      if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) {
        ::WaitForInputIdle(pi_.hProcess, 5000);
        return;
      }
      const DWORD error = ::GetLastError();
      ADD_FAILURE() << "CreateProcess of notepad failed with error " << error << " (attempt " << attempt + 1 << ")";
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
      ::Sleep(500);
    }
  }
  ~Notepad() {
    if (!pi_.hProcess) return;
    ::TerminateProcess(pi_.hProcess, 0);
    ::WaitForSingleObject(pi_.hProcess, 5000);
    ::CloseHandle(pi_.hProcess);
    ::CloseHandle(pi_.hThread);
  }
  uint32_t pid() const { return pi_.dwProcessId; }
  HANDLE handle() const { return pi_.hProcess; }

 private:
  PROCESS_INFORMATION pi_{};
};

struct Window {
  std::unique_ptr<MainWindow> main;
  Window() {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    main = std::make_unique<MainWindow>(CommandLineSwitches(std::vector<std::wstring>{}), env);
  }
  ProcessesPage& page() { return PageOf<ProcessesPage>(*main, kPageProcesses); }
  ui::TreeGrid& grid() { return page().tree(); }
  const ProcessRecord* Row(uint32_t pid) {
    ui::TreeNode* node = page().FindProcessNode(pid);
    return node ? node->As<ProcessRecord>() : nullptr;
  }
  std::wstring Cell(uint32_t pid, int column) {
    ui::TreeNode* node = page().FindProcessNode(pid);
    return node ? grid().onGetText(*node, column) : L"<no row>";
  }
};

// The rows of a page, refreshed until the PID is listed.
ui::TreeNode* ListedRow(Window& w, uint32_t pid) {
  for (int i = 0; i < 50 && !w.page().FindProcessNode(pid); ++i) {
    ::Sleep(100);
    w.main->RefreshActivePage();
  }
  return w.page().FindProcessNode(pid);
}

TEST(ProcessesPage, ListsTheRunningProcessesWithTheirFacts) {
  Notepad notepad;
  ASSERT_NE(notepad.pid(), 0u);
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  const size_t rows = w.grid().RowCount();
  EXPECT_GT(rows, 3u);
  EXPECT_EQ(w.main->Tabs().Caption(kPageProcesses), L" 进程 (" + std::to_wstring(rows) + L") ");

  const uint32_t self = ::GetCurrentProcessId();
  ASSERT_NE(w.Row(self), nullptr);
  EXPECT_EQ(w.Cell(self, Index(ProcessColumn::Name)), L"app_frame_tests.exe");
  EXPECT_EQ(w.Cell(self, Index(ProcessColumn::Type)), L"64-bit");
  EXPECT_FALSE(w.page().FindProcessNode(self)->hasCheckBox()) << "never the program itself";

  ASSERT_NE(w.Row(notepad.pid()), nullptr);
  EXPECT_EQ(w.Cell(notepad.pid(), Index(ProcessColumn::Name)), L"notepad.exe");
  EXPECT_NE(w.Cell(notepad.pid(), Index(ProcessColumn::FileName)).find(L"notepad.exe"), std::wstring::npos);
  EXPECT_NE(w.Cell(notepad.pid(), Index(ProcessColumn::WorkingSet)).find(L" K"), std::wstring::npos);
  EXPECT_TRUE(w.page().FindProcessNode(notepad.pid())->hasCheckBox()) << "automatic refresh is off";
  EXPECT_EQ(w.page().FindProcessNode(-1), nullptr);
}

TEST(ProcessesPage, TreeLayoutNameFilterAndProcessFilter) {
  Notepad notepad;
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());

  ::SendMessageW(w.page().TreeSwitch().buttonHwnd(), BM_CLICK, 0, 0);  // refreshes in tree layout
  ui::TreeNode* child = w.page().FindProcessNode(notepad.pid());
  ASSERT_NE(child, nullptr);
  ASSERT_NE(child->parent(), nullptr);
  EXPECT_EQ(child->parent()->As<ProcessRecord>()->PID, ::GetCurrentProcessId());

  // A name filter lists the matching processes only, all at the top level.
  w.main->NameFilter().SetText(L"NOTEPAD");
  w.main->RefreshActivePage();
  ASSERT_GE(w.grid().RowCount(), 1u);
  for (ui::TreeNode* n = w.grid().First(); n; n = w.grid().Next(n)) {
    EXPECT_EQ(n->parent(), nullptr);
    EXPECT_EQ(n->As<ProcessRecord>()->Name.rfind(L"notepad", 0), 0u);
  }

  // Every process answers: the not-responding filter lists none.
  w.main->NameFilter().SetText(L"");
  ::SendMessageW(w.page().ProcessFilter(), CB_SETCURSEL, 4, 0);
  w.main->RefreshActivePage();
  EXPECT_EQ(w.grid().RowCount(), 0u);
  EXPECT_EQ(w.main->Tabs().Caption(kPageProcesses), L" 进程 (0) ");
  EXPECT_FALSE(w.page().KillButton().Enabled());
}

TEST(ProcessesPage, TheFocusedProcessStaysFocusedAndThePidColumnSortsNumerically) {
  Notepad notepad;
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.grid().SetFocusedNode(w.page().FindProcessNode(notepad.pid()));
  w.main->RefreshAllPages();
  ASSERT_NE(w.grid().FocusedNode(), nullptr);
  EXPECT_EQ(w.grid().FocusedNode()->As<ProcessRecord>()->PID, notepad.pid());

  for (bool ascending : {true, false}) {
    w.grid().TreeHeaderClick(Index(ProcessColumn::PID));
    std::vector<uint32_t> pids;
    for (size_t i = 0; i < w.grid().VisibleRowCount(); ++i) pids.push_back(w.grid().VisibleRow(i)->As<ProcessRecord>()->PID);
    ASSERT_GT(pids.size(), 3u);
    for (size_t i = 1; i < pids.size(); ++i)
      EXPECT_TRUE(ascending ? pids[i - 1] <= pids[i] : pids[i - 1] >= pids[i]) << pids[i - 1] << " " << pids[i];
  }
}

std::wstring ButtonText(HWND button) {
  wchar_t text[128] = {};
  ::GetWindowTextW(button, text, 128);
  return text;
}

// The kill button's click as the button reports it to the window.
void ClickKill(Window& w) {
  ::SendMessageW(w.page().KillButton().hwnd(), BM_CLICK, 0, 0);
}

TEST(ProcessesPage, FocusingARowFillsTheDetails) {
  Notepad notepad;
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  EXPECT_FALSE(w.page().DetailsPanel().Expanded()) << "collapsed at start";
  ui::TreeNode* row = w.page().FindProcessNode(notepad.pid());
  ASSERT_NE(row, nullptr);
  w.grid().SetFocusedNode(row);
  ui::PropertyInspector& insp = w.page().Inspector();
  std::map<std::wstring, std::wstring> shown;
  for (auto id : insp.ShownItems())
    if (!insp.IsGroup(id)) shown[insp.Caption(id)] = insp.Value(id);
  EXPECT_EQ(shown[L"PID"], std::to_wstring(notepad.pid()));
  EXPECT_EQ(shown[L"名称"], L"notepad.exe");
  EXPECT_EQ(shown[L"父进程"], std::to_wstring(::GetCurrentProcessId()));
  EXPECT_NE(shown[L"命令行"].find(L"notepad.exe"), std::wstring::npos);
  EXPECT_EQ(shown.count(L"窗口数量"), 0u) << "the window count is hidden";
  EXPECT_EQ(shown.count(L"总时间"), 0u) << "the CPU group starts collapsed";
  // The windows page's process list follows: notepad owns a window.
  HWND windowFilter = PageOf<WindowsPage>(*w.main, kPageWindows).ProcessList();
  for (int i = 0; i < 50 && ::SendMessageW(windowFilter, CB_GETCURSEL, 0, 0) < 0; ++i) {  // its window comes late
    ::Sleep(100);
    w.main->RefreshActivePage();
    w.grid().SetFocusedNode(w.page().FindProcessNode(notepad.pid()));
  }
  const LRESULT selected = ::SendMessageW(windowFilter, CB_GETCURSEL, 0, 0);
  ASSERT_GE(selected, 0);
  EXPECT_EQ(static_cast<uint32_t>(::SendMessageW(windowFilter, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0)),
            notepad.pid());

  w.grid().onDoubleClick(row);
  EXPECT_TRUE(w.page().DetailsPanel().Expanded());
  w.grid().SetFocusedNode(w.page().FindProcessNode(::GetCurrentProcessId()));
  EXPECT_EQ(insp.Value(insp.ShownItems()[1]), std::to_wstring(::GetCurrentProcessId()));
}

TEST(ProcessesPage, CheckedProcessesEndOnlyAfterYes) {
  Notepad notepad;
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ui::TreeNode* row = ListedRow(w, notepad.pid());
  ASSERT_NE(row, nullptr);
  ASSERT_TRUE(row->hasCheckBox());
  w.grid().ToggleCheck(row);  // as the user's click on the box
  ASSERT_TRUE(w.page().KillButton().Enabled());
  ASSERT_EQ(w.grid().CheckedCount(), 1u);

  {
    BoxAnswerer no(IDNO);
    ClickKill(w);
    ASSERT_TRUE(no.found);
    EXPECT_EQ(no.seen.text, L"你真的想终止 1 检查进程?\r\n\r\n[" + std::to_wstring(notepad.pid()) + L"]" +
                                row->As<ProcessRecord>()->Name)
        << "the question names what it ends";
  }
  EXPECT_EQ(::WaitForSingleObject(notepad.handle(), 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "No changes nothing";
  EXPECT_NE(w.page().FindProcessNode(notepad.pid()), nullptr);

  {
    BoxAnswerer yes(IDYES);
    ClickKill(w);
    ASSERT_TRUE(yes.found);
  }
  ASSERT_TRUE(testing::PumpUntil(*w.main, [&] { return !w.page().Ending(); }, 30000));
  EXPECT_EQ(::WaitForSingleObject(notepad.handle(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(w.page().FindProcessNode(notepad.pid()), nullptr) << "the list was refreshed";
  EXPECT_NE(w.page().FindProcessNode(::GetCurrentProcessId()), nullptr);
}

// Answers this process's next message boxes in turn, one button each, noting their texts.
class BoxSequence {
 public:
  explicit BoxSequence(std::vector<int> buttons) : buttons_(std::move(buttons)), thread_([this] { Run(); }) {}
  ~BoxSequence() { thread_.join(); }
  std::vector<std::wstring> texts;

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* self = reinterpret_cast<BoxSequence*>(lp);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId() || std::wstring(cls) != L"#32770" || !::IsWindowVisible(hwnd) ||
        hwnd == self->last_)
      return TRUE;
    wchar_t buf[1024] = {};
    ::GetWindowTextW(::GetDlgItem(hwnd, 0xFFFF), buf, 1024);
    self->texts.push_back(buf);
    ::PostMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(self->buttons_[self->texts.size() - 1]), 0);
    self->last_ = hwnd;
    return FALSE;
  }
  void Run() {
    for (int i = 0; i < 1000 && texts.size() < buttons_.size(); ++i) {
      ::EnumWindows(&BoxSequence::Visit, reinterpret_cast<LPARAM>(this));
      ::Sleep(20);
    }
  }
  std::vector<int> buttons_;
  HWND last_ = nullptr;
  std::thread thread_;
};

// A critical process is ended only after a second question that names it; No to that one keeps it running.
TEST(ProcessesPage, ACriticalProcessNeedsASecondYesThatNamesIt) {
  Notepad notepad;
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ListedRow(w, notepad.pid());
  const auto markCritical = [&] {
    ui::TreeNode* row = w.page().FindProcessNode(notepad.pid());
    if (!row) return false;
    row->As<ProcessRecord>()->Critical = true;  // Wine marks no process so; the flag is the list's
    w.grid().ToggleCheck(row);
    return true;
  };
  ASSERT_TRUE(markCritical());
  const std::wstring named = L"[" + std::to_wstring(notepad.pid()) + L"]notepad.exe";
  {
    BoxSequence boxes({IDYES, IDNO});
    ClickKill(w);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1].rfind(named + L" 是系统关键进程。", 0), 0u);
  }
  EXPECT_FALSE(w.page().Ending()) << "nothing was left to end";
  EXPECT_EQ(::WaitForSingleObject(notepad.handle(), 500), static_cast<DWORD>(WAIT_TIMEOUT));

  ui::TreeNode* row = w.page().FindProcessNode(notepad.pid());
  ASSERT_NE(row, nullptr);
  ASSERT_TRUE(row->checked() && row->As<ProcessRecord>()->Critical) << "no refresh ran since";
  {
    BoxSequence boxes({IDYES, IDYES});
    ClickKill(w);
    ASSERT_EQ(boxes.texts.size(), 2u);
  }
  ASSERT_TRUE(testing::PumpUntil(*w.main, [&] { return !w.page().Ending(); }, 30000));
  EXPECT_EQ(::WaitForSingleObject(notepad.handle(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(ProcessesPage, AHungProcessIsRedAndACheckedParentEndsWithItsChildren) {
  test::ChildProcesses children;
  const DWORD hung = children.Start(L"hung", L"");
  const DWORD parent = children.Start(L"parent", L"");
  ASSERT_NE(hung, 0u);
  ASSERT_NE(parent, 0u);
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ::SendMessageW(w.page().TreeSwitch().buttonHwnd(), BM_CLICK, 0, 0);  // tree layout, refreshed
  ui::TreeNode* parentRow = nullptr;
  for (int i = 0; i < 50; ++i) {  // the grandchild and the hung window appear a moment after the start
    parentRow = w.page().FindProcessNode(parent);
    ui::TreeNode* hungRow = w.page().FindProcessNode(hung);
    if (parentRow && !parentRow->children().empty() && hungRow && !hungRow->As<ProcessRecord>()->IsResponding) break;
    ::Sleep(100);
    w.main->RefreshActivePage();
  }
  ASSERT_NE(parentRow, nullptr);
  ASSERT_EQ(parentRow->children().size(), 1u) << "the grandchild hangs under its parent";
  const uint32_t grandchild = parentRow->children().front()->As<ProcessRecord>()->PID;
  ui::TreeNode* hungRow = w.page().FindProcessNode(hung);
  ASSERT_NE(hungRow, nullptr);
  EXPECT_FALSE(hungRow->As<ProcessRecord>()->IsResponding);
  EXPECT_EQ(hungRow->textColor(), static_cast<uint32_t>(RGB(255, 0, 0)));

  // The not-responding filter lists the hung child alone.
  ::SendMessageW(w.page().ProcessFilter(), CB_SETCURSEL, 4, 0);
  w.main->RefreshActivePage();
  ASSERT_EQ(w.grid().RowCount(), 1u);
  EXPECT_EQ(w.grid().First()->As<ProcessRecord>()->PID, hung);

  // Checking the parent checks its child; Yes ends both, and never the program itself.
  ::SendMessageW(w.page().ProcessFilter(), CB_SETCURSEL, 0, 0);
  w.main->RefreshActivePage();
  parentRow = w.page().FindProcessNode(parent);
  ASSERT_NE(parentRow, nullptr);
  w.grid().ToggleCheck(parentRow);
  ASSERT_EQ(w.grid().CheckedCount(), 2u);
  {
    BoxAnswerer yes(IDYES);
    ClickKill(w);
    ASSERT_TRUE(yes.found);
    EXPECT_EQ(yes.seen.text.rfind(L"你真的想终止 2 检查进程?\r\n\r\n[", 0), 0u);
  }
  ASSERT_TRUE(testing::PumpUntil(*w.main, [&] { return !w.page().Ending(); }, 30000));
  EXPECT_EQ(w.page().FindProcessNode(parent), nullptr);
  EXPECT_EQ(w.page().FindProcessNode(grandchild), nullptr);
  EXPECT_NE(w.page().FindProcessNode(hung), nullptr);
  EXPECT_NE(w.page().FindProcessNode(::GetCurrentProcessId()), nullptr);
}

bool HasTopLevelWindow(DWORD pid) {
  struct Search {
    DWORD pid;
    bool found = false;
  } search{pid};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        s->found = s->found || owner == s->pid;
        return !s->found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The refresh at start asks; the next one, a little more than the answer's time-out later, shows the answer.
TEST(ProcessesPage, AHungProcessIsRedByTheSecondRefreshInTheFlatListAndInTheTree) {
  test::ChildProcesses children;
  const DWORD hung = children.Start(L"hung", L"");
  ASSERT_NE(hung, 0u);
  for (int i = 0; i < 100 && !HasTopLevelWindow(hung); ++i) ::Sleep(50);
  ASSERT_TRUE(HasTopLevelWindow(hung));
  for (const bool treeLayout : {false, true}) {
    SCOPED_TRACE(treeLayout ? "tree" : "flat");
    Window w;
    ASSERT_TRUE(w.main->CreateAndStart());
    ASSERT_NE(w.Row(hung), nullptr);
    ::Sleep(kRespondTimeoutMs + 100);
    if (treeLayout) ::SendMessageW(w.page().TreeSwitch().buttonHwnd(), BM_CLICK, 0, 0);  // refreshes
    else w.main->RefreshActivePage();
    ASSERT_EQ(w.page().TreeSwitch().On(), treeLayout);
    ui::TreeNode* row = w.page().FindProcessNode(hung);
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(row->As<ProcessRecord>()->IsResponding);
    EXPECT_EQ(row->textColor(), static_cast<uint32_t>(RGB(255, 0, 0)));
  }
}

TEST(ProcessesPage, TheKillButtonFollowsAutomaticRefreshThroughEveryKindOfRefresh) {
  Notepad notepad;
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.main->ShowAtStart(SW_SHOWNORMAL);
  ::SendMessageW(w.main->AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  auto focusNotepad = [&] {
    w.grid().SetFocusedNode(ListedRow(w, notepad.pid()));
  };
  focusNotepad();
  auto expectFocusedMode = [&](const char* after) {
    EXPECT_EQ(ButtonText(w.page().KillButton().hwnd()), L"Terminate process") << after;
    EXPECT_TRUE(w.page().KillButton().Enabled()) << after;
    EXPECT_TRUE(w.main->Refresh().TimerRunning()) << after;
  };
  expectFocusedMode("the switch");
  auto key = [&](HWND target, UINT vk) {
    for (UINT msgId : {WM_KEYDOWN, WM_KEYUP}) {
      MSG msg{target, msgId, vk, 1, 0, {}};
      DispatchProgramMessage(w.main.get(), msg);
    }
  };
  key(w.grid().hwnd(), VK_F5);
  expectFocusedMode("F5");
  key(w.main->NameFilter().editHwnd(), VK_RETURN);
  expectFocusedMode("Enter in the name filter");
  ::SendMessageW(w.main->NameFilter().leftButtonHwnd(), BM_CLICK, 0, 0);
  expectFocusedMode("the filter button");
  ::SendMessageW(w.page().ProcessFilter(), CB_SETCURSEL, 1, 0);
  ::SendMessageW(::GetParent(w.page().ProcessFilter()), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(w.page().ProcessFilter()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(w.page().ProcessFilter()));
  ::SendMessageW(w.page().ProcessFilter(), CB_SETCURSEL, 0, 0);
  w.main->RefreshActivePage();
  expectFocusedMode("a process-filter change");
  ::SendMessageW(w.page().TreeSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  focusNotepad();
  expectFocusedMode("the tree switch");

  // Switched off: checked processes, none checked yet.
  ::SendMessageW(w.main->AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  key(w.grid().hwnd(), VK_F5);
  EXPECT_EQ(ButtonText(w.page().KillButton().hwnd()), L"Terminate checked processes");
  EXPECT_FALSE(w.page().KillButton().Enabled());
  EXPECT_FALSE(w.main->Refresh().TimerRunning());
}

// The window thread's answer time, measured from another thread while an action runs; only reported.
class AnswerProbe {
 public:
  explicit AnswerProbe(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            const auto start = std::chrono::steady_clock::now();
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            slowest_ = std::max<long long>(slowest_, ms.count());
            ::Sleep(20);
          }
          finished_ = true;
        }) {}
  ~AnswerProbe() { Stop(); }
  // Answers the probe's last question while it ends: a join alone would keep it waiting.
  long long Stop() {
    stop_ = true;
    MSG msg;
    while (!finished_) {
      ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
      ::Sleep(5);
    }
    if (thread_.joinable()) thread_.join();
    return slowest_;
  }

 private:
  std::atomic<bool> stop_{false}, finished_{false};
  std::atomic<long long> slowest_{0};
  std::thread thread_;
};

// A wait inside the walk that pumps messages, as a WMI call does: the timer's tick and F5 (twice) arrive there.
TEST(ProcessesPage, ATickOrF5ArrivingInsideTheWalkNeverStartsARefreshThereAndF5RunsOnceAfterIt) {
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  int processRefreshes = 0, depth = 0, deepest = 0;
  w.main->refreshExecutor = [&](const RefreshStep& step) {
    if (step.refresher == Refresher::Processes) ++processRefreshes;
    deepest = std::max(deepest, ++depth);
    w.main->PageAt(RefresherPage(step.refresher)).Refresh(step.refresher, step.filter);
    --depth;
  };
  bool pumped = false;
  size_t rowsAfterPump = 0;
  std::wstring firstName, firstNameAfterPump;
  w.page().onRowAdded = [&](const ProcessRecord& record) {
    if (pumped) return;
    pumped = true;
    firstName = record.Name;
    const HWND main = w.main->hwnd(), grid = w.grid().hwnd();
    ::PostMessageW(main, WM_TIMER, RefreshCycle::kTimerId, 0);
    for (int i = 0; i < 2; ++i) {
      ::PostMessageW(grid, WM_KEYDOWN, VK_F5, 1);
      ::PostMessageW(grid, WM_KEYUP, VK_F5, 1);
    }
    const ULONGLONG end = ::GetTickCount64() + 300;
    while (::GetTickCount64() < end) {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(w.main.get(), msg);
      ::Sleep(10);
    }
    // The row the walk goes on filling is still the one it added.
    rowsAfterPump = w.grid().RowCount();
    if (ui::TreeNode* first = w.grid().First()) firstNameAfterPump = first->As<ProcessRecord>()->Name;
  };

  w.main->RefreshActivePage();
  ASSERT_TRUE(pumped);
  EXPECT_EQ(deepest, 1) << "a refresh started inside the walk";
  EXPECT_EQ(rowsAfterPump, 1u);
  EXPECT_EQ(firstNameAfterPump, firstName);
  EXPECT_EQ(processRefreshes, 1);
  EXPECT_GT(w.grid().RowCount(), 3u);

  ASSERT_TRUE(testing::PumpUntil(*w.main, [&] { return processRefreshes == 2; }, 30000)) << "F5 after the refresh";
  testing::PumpUntil(*w.main, [] { return false; }, 500);
  EXPECT_EQ(processRefreshes, 2) << "both F5 presses ran as one refresh, and the tick as none";
  EXPECT_EQ(deepest, 1);
  EXPECT_NE(w.page().FindProcessNode(::GetCurrentProcessId()), nullptr);
}

TEST(ProcessesPage, EndingRunsOnAWorkerAndAChildWithoutWindowsEndsWithoutTheWait) {
  test::ChildProcesses children;
  const DWORD quiet = children.Start(L"wait", L"");
  const DWORD other = children.Start(L"wait", L"");
  ASSERT_NE(quiet, 0u);
  ASSERT_NE(other, 0u);
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ui::TreeNode* row = ListedRow(w, quiet);
  ASSERT_NE(row, nullptr);
  ASSERT_NE(ListedRow(w, other), nullptr);
  row = w.page().FindProcessNode(quiet);
  w.grid().ToggleCheck(row);
  ASSERT_EQ(w.grid().CheckedCount(), 1u);

  AnswerProbe probe(w.main->hwnd());
  {
    BoxAnswerer yes(IDYES);
    ClickKill(w);
    ASSERT_TRUE(yes.found);
  }
  // The click came back while the worker works: the button and the boxes wait, the cursor says so.
  ASSERT_TRUE(w.page().Ending());
  EXPECT_FALSE(w.page().KillButton().Enabled());
  EXPECT_FALSE(w.grid().ChecksEnabled());
  w.grid().ToggleCheck(w.page().FindProcessNode(other));
  EXPECT_EQ(w.grid().CheckedCount(), 1u) << "a box changed during the ending";
  EXPECT_EQ(w.main->BackgroundWork(), 1);
  ::SendMessageW(w.main->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(w.main->hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_APPSTARTING));

  // Without windows there is nothing to ask: it ends well before the 5 s that a windowed process is given.
  EXPECT_TRUE(testing::PumpUntil(*w.main, [&] { return ::WaitForSingleObject(children.Handle(0), 0) == WAIT_OBJECT_0; },
                                 4000));
  {
    BoxAnswerer none(IDOK);
    ASSERT_TRUE(testing::PumpUntil(*w.main, [&] { return !w.page().Ending(); }, 30000));
    std::printf("the window answered within %lld ms at worst while the ending ran\n", probe.Stop());
    EXPECT_FALSE(none.found) << "an error box for a process that ended";
  }
  EXPECT_EQ(w.page().FindProcessNode(quiet), nullptr) << "the list was refreshed";
  EXPECT_NE(w.page().FindProcessNode(other), nullptr);
  EXPECT_TRUE(w.grid().ChecksEnabled());
  EXPECT_EQ(w.main->BackgroundWork(), 0);
  EXPECT_FALSE(w.page().KillButton().Enabled()) << "nothing checked after the refresh";
  EXPECT_EQ(::WaitForSingleObject(children.Handle(1), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

// The PID of a checked row now names another process (the row's creation time no longer matches): the worker's
// identity check refuses it, and the error box comes when the worker reports.
TEST(ProcessesPage, AReusedPidIsLeftAloneAndGetsTheErrorBoxWhenTheWorkerReports) {
  test::ChildProcesses children;
  const DWORD pid = children.Start(L"wait", L"");
  ASSERT_NE(pid, 0u);
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ui::TreeNode* row = ListedRow(w, pid);
  ASSERT_NE(row, nullptr);
  row->As<ProcessRecord>()->CPUTimes.CreateTime += 1;  // the listed process is gone, its PID reused
  w.grid().ToggleCheck(row);

  {
    BoxAnswerer yes(IDYES);
    ClickKill(w);
    ASSERT_TRUE(yes.found);
  }
  BoxAnswerer error(IDOK);
  ASSERT_TRUE(testing::PumpUntil(*w.main, [&] { return !w.page().Ending(); }, 30000));
  ASSERT_TRUE(error.found);
  const std::wstring head = L"Process [" + std::to_wstring(pid) + L"]proc_child.exe cannot be terminated.\r\n";
  EXPECT_EQ(error.seen.text.substr(0, head.size()), head);
  EXPECT_GT(error.seen.text.size(), head.size()) << "the system's explanation follows";
  EXPECT_TRUE(error.seen.hasOk);
  EXPECT_EQ(::WaitForSingleObject(children.Handle(0), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the other process runs";
  ASSERT_NE(w.page().FindProcessNode(pid), nullptr);
  EXPECT_FALSE(w.page().FindProcessNode(pid)->checked()) << "the list was refreshed after the box";
}

}  // namespace
}  // namespace vantrel::app
