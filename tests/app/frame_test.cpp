// The main window in this process, driven by the messages a user's actions send, with the refreshers
// replaced by a recorder.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/frame/main_window.h"
#include "app/ui/command_menu.h"
#include "app/ui/list_export.h"
#include "app/pages/log_page.h"
#include "app/pages/performance_page.h"
#include "app/pages/processes_page.h"
#include "app/program.h"
#include "app/pages/page_of.h"
#include "box_answerer.h"
#include "core/process/process_texts.h"
#include "core/shell/pages.h"
#include "core/shell/refresh_plan.h"
#include "page_test_support.h"

namespace vantrel::app {
namespace {

using testing::FieldLines;
using testing::FromUtf8;
using testing::ReadBytes;
using testing::TempPath;

struct Frame {
  std::vector<RefreshStep> steps;
  std::unique_ptr<MainWindow> main;
  int registerCalls = 0;
  int unregisterCalls = 0;

  static StartupEnvironment QuietEnvironment() {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    return env;
  }

  explicit Frame(const std::vector<std::wstring>& words, StartupEnvironment env = QuietEnvironment()) {
    if (!env.registerSessionNotification) {
      env.registerSessionNotification = [this](HWND) {
        ++registerCalls;
        return true;
      };
    }
    if (!env.unregisterSessionNotification) {
      env.unregisterSessionNotification = [this](HWND) {
        ++unregisterCalls;
        return true;
      };
    }
    main = std::make_unique<MainWindow>(CommandLineSwitches(words), std::move(env));
    main->refreshExecutor = [this](const RefreshStep& step) { steps.push_back(step); };
  }
  bool Start() { return main->CreateAndStart(); }
  ProcessesPage& processes() { return PageOf<ProcessesPage>(*main, kPageProcesses); }
  LogPage& log() { return PageOf<LogPage>(*main, kPageLog); }
  PerformancePage& performance() { return PageOf<PerformancePage>(*main, kPagePerformance); }

  // Runs the messages waiting for this thread through the program's own loop step.
  void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(main.get(), msg);
  }
  // A key stroke that reaches the focused control as the message loop would deliver it.
  void Key(HWND target, UINT vk, bool ctrl = false, bool shift = false) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(state);
    for (UINT msgId : {WM_KEYDOWN, WM_KEYUP}) {
      MSG msg{target, msgId, vk, 1, 0, {}};
      DispatchProgramMessage(main.get(), msg);
    }
    state[VK_CONTROL] = state[VK_SHIFT] = 0;
    ::SetKeyboardState(state);
    Pump();
  }
  int TabCount() const { return static_cast<int>(::SendMessageW(main->Tabs().hwnd(), TCM_GETITEMCOUNT, 0, 0)); }
  std::wstring TabText(int tab) const {
    wchar_t buf[128] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 128;
    ::SendMessageW(main->Tabs().hwnd(), TCM_GETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
    return buf;
  }
};

std::wstring Text(HWND hwnd) {
  wchar_t buf[256] = {};
  ::GetWindowTextW(hwnd, buf, 256);
  return buf;
}

bool HasVisibleStyle(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(MainWindow, HasSevenTabsAndTheLogTabOnlyWithDebug) {
  Frame plain({});
  ASSERT_TRUE(plain.Start());
  ASSERT_EQ(plain.TabCount(), 7);
  for (int p = 0; p < 7; ++p) EXPECT_EQ(plain.TabText(p), std::wstring(kPageCaptions[p])) << p;
  EXPECT_FALSE(plain.main->Tabs().LogTabVisible());

  Frame debug({L"/debug"});
  ASSERT_TRUE(debug.Start());
  ASSERT_EQ(debug.TabCount(), 8);
  EXPECT_EQ(debug.TabText(7), L" 日志 ");
}

TEST(MainWindow, CtrlLTogglesTheLogTabAndOtherModifiersDoNot) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  HWND target = f.main->PageAt(kPageProcesses).FocusTarget();
  f.Key(target, 'L', /*ctrl=*/true);
  EXPECT_EQ(f.TabCount(), 8);
  f.Key(target, 'L', /*ctrl=*/true, /*shift=*/true);
  EXPECT_EQ(f.TabCount(), 8);
  f.Key(target, 'L');
  EXPECT_EQ(f.TabCount(), 8);
  f.Key(target, VK_SEPARATOR, /*ctrl=*/true);
  EXPECT_EQ(f.TabCount(), 8) << "the keypad's separator key is not L";
  f.Key(target, 'L', /*ctrl=*/true);
  EXPECT_EQ(f.TabCount(), 7);
  EXPECT_TRUE(f.steps.size() == PlanRefresh(RefreshKind::AllPages, 0, L"").size()) << "toggling the tab refreshes nothing";
}

TEST(MainWindow, HidingTheActiveLogTabMovesToTheFirstPage) {
  Frame f({L"-DEBUG"});
  ASSERT_TRUE(f.Start());
  f.main->SetActivePage(kPageLog);
  ASSERT_EQ(f.main->ActivePage(), kPageLog);
  f.main->SetLogTabVisible(false);
  EXPECT_EQ(f.main->ActivePage(), kPageProcesses);
  EXPECT_EQ(::SendMessageW(f.main->Tabs().hwnd(), TCM_GETCURSEL, 0, 0), 0);
}

TEST(MainWindow, PageSwitchesChooseTheActivePage) {
  struct Case {
    std::vector<std::wstring> words;
    int page;
  } cases[] = {{{}, kPageProcesses}, {{L"/ses"}, kPageSessions}, {{L"-PERF"}, kPagePerformance},
               {{L"\\Ses", L"/perf"}, kPagePerformance}, {{L"/perf", L"/ses"}, kPagePerformance}};
  for (const Case& c : cases) {
    Frame f(c.words);
    ASSERT_TRUE(f.Start());
    EXPECT_EQ(f.main->ActivePage(), c.page);
    EXPECT_EQ(::SendMessageW(f.main->Tabs().hwnd(), TCM_GETCURSEL, 0, 0), c.page);
  }
}

TEST(MainWindow, AutoAndTreeSwitches) {
  Frame plain({});
  ASSERT_TRUE(plain.Start());
  EXPECT_FALSE(plain.main->Refresh().TimerRunning());
  EXPECT_FALSE(plain.main->AutoSwitch().On());
  EXPECT_FALSE(plain.processes().TreeSwitch().On());
  EXPECT_EQ(Text(plain.processes().KillButton().hwnd()), L"确认终止进程");

  Frame f({L"/AUTO", L"/tree"});
  ASSERT_TRUE(f.Start());
  EXPECT_TRUE(f.main->AutoSwitch().On());
  EXPECT_TRUE(f.main->Refresh().TimerRunning());
  EXPECT_EQ(Text(f.processes().KillButton().hwnd()), L"Terminate process");
  EXPECT_TRUE(f.processes().TreeSwitch().On());
  EXPECT_TRUE(f.processes().tree().TreeLayout());
}

TEST(MainWindow, MaxAndHideDecideHowTheWindowIsShown) {
  Frame max({L"/max"});
  ASSERT_TRUE(max.Start());
  max.main->ShowAtStart(SW_SHOWNORMAL);
  EXPECT_TRUE(::IsWindowVisible(max.main->hwnd()));
  EXPECT_TRUE(::IsZoomed(max.main->hwnd()));

  Frame hidden({L"-hide"});
  ASSERT_TRUE(hidden.Start());
  hidden.main->ShowAtStart(SW_SHOWNORMAL);
  EXPECT_FALSE(::IsWindowVisible(hidden.main->hwnd()));

  // Hidden and maximised: shown later (a second start shows it so), it comes back maximised, once.
  Frame both({L"/HIDE", L"/MAX"});
  ASSERT_TRUE(both.Start());
  both.main->ShowAtStart(SW_SHOWNORMAL);
  EXPECT_FALSE(::IsWindowVisible(both.main->hwnd()));
  ::ShowWindow(both.main->hwnd(), SW_SHOW);
  both.Pump();
  EXPECT_TRUE(::IsWindowVisible(both.main->hwnd()));
  EXPECT_TRUE(::IsZoomed(both.main->hwnd()));
  ::ShowWindow(both.main->hwnd(), SW_RESTORE);
  ::ShowWindow(both.main->hwnd(), SW_HIDE);
  ::ShowWindow(both.main->hwnd(), SW_SHOW);
  both.Pump();
  EXPECT_FALSE(::IsZoomed(both.main->hwnd()));
}

TEST(MainWindow, FirstRefreshIsFullAndF5RefreshesEveryPage) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::AllPages, kPageProcesses, L""));
  f.main->ShowAtStart(SW_SHOWNORMAL);
  f.main->SetActivePage(kPageServices);
  f.main->NameFilter().SetText(L"spool");
  f.steps.clear();
  f.Key(f.main->NameFilter().hwnd(), VK_F5);
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::AllPages, kPageServices, L"spool"));
  EXPECT_EQ(f.steps[1], (RefreshStep{Refresher::Services, L"spool"}));
}

TEST(MainWindow, NameFilterEnterAndButtonsRefresh) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  f.main->ShowAtStart(SW_SHOWNORMAL);
  ui::FilterBox& filter = f.main->NameFilter();
  filter.SetText(L"note");

  f.steps.clear();
  f.Key(filter.editHwnd(), VK_RETURN);
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::ActivePage, kPageProcesses, L"note"));

  f.steps.clear();
  f.Key(filter.editHwnd(), VK_RETURN, /*ctrl=*/true);
  EXPECT_TRUE(f.steps.empty()) << "Enter with a modifier does not refresh";

  f.steps.clear();
  ::SendMessageW(filter.leftButtonHwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::ActivePage, kPageProcesses, L"note"));

  f.steps.clear();
  ::SendMessageW(filter.rightButtonHwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(filter.Text(), L"");
  // The box takes the focus, then the refresh hands it to the active page's tree as every refresh does.
  HWND tree = f.processes().tree().hwnd();
  EXPECT_TRUE(::GetFocus() == tree || ::IsChild(tree, ::GetFocus()));
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::ActivePage, kPageProcesses, L""));
}

TEST(MainWindow, ProcessFilterAndTreeSwitchRefresh) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  f.steps.clear();
  HWND combo = f.processes().ProcessFilter();
  ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
  // The change as the list box reports it to its parent, the page's strip.
  ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::ActivePage, kPageProcesses, L""));

  f.steps.clear();
  ::SendMessageW(f.processes().TreeSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(f.processes().tree().TreeLayout());
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::ActivePage, kPageProcesses, L""));
}

TEST(MainWindow, TimerRefreshesOnlyTheActivePageAndNeverClearsTheLog) {
  Frame f({L"/debug"});
  ASSERT_TRUE(f.Start());
  f.main->NameFilter().SetText(L"x");
  f.main->WriteLog(L"RefreshServices: kept");
  for (int page = 0; page < kPageCount; ++page) {
    f.main->SetActivePage(page);
    f.steps.clear();
    ::SendMessageW(f.main->hwnd(), WM_TIMER, RefreshCycle::kTimerId, 0);
    EXPECT_EQ(f.steps, PlanTimerRefresh(page, L"x")) << page;
  }
  EXPECT_EQ(f.log().log().LineCount(), 1u);
}

TEST(MainWindow, TheRealTimerFiresAtTheSpinEditsInterval) {
  Frame f({L"/auto"});
  ASSERT_TRUE(f.Start());
  ::SetWindowTextW(f.main->IntervalEdit().editHwnd(), L"1");
  ASSERT_EQ(f.main->Refresh().IntervalMs(), 1000u);
  f.main->SetActivePage(kPageServices);
  f.steps.clear();
  const DWORD start = ::GetTickCount();
  while (f.steps.empty() && ::GetTickCount() - start < 5000) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    f.Pump();
  }
  EXPECT_EQ(f.steps, PlanTimerRefresh(kPageServices, L""));
  // Switched off, the timer stays quiet.
  ::SendMessageW(f.main->AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  f.steps.clear();
  const DWORD quiet = ::GetTickCount();
  while (::GetTickCount() - quiet < 1500) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    f.Pump();
  }
  EXPECT_TRUE(f.steps.empty());
}

// The captions of the shown buttons below the pages, left to right.
std::vector<std::wstring> ShownButtons(MainWindow& main) {
  std::vector<std::pair<int, std::wstring>> shown;
  for (HWND b = ::GetWindow(main.Actions().hwnd(), GW_CHILD); b; b = ::GetWindow(b, GW_HWNDNEXT)) {
    if (!HasVisibleStyle(b)) continue;
    RECT rc;
    ::GetWindowRect(b, &rc);
    shown.emplace_back(rc.left, Text(b));
  }
  std::sort(shown.begin(), shown.end());
  std::vector<std::wstring> captions;
  for (auto& [x, caption] : shown) captions.push_back(caption);
  return captions;
}

TEST(MainWindow, EachPageShowsItsOwnControlsAndRefreshesNothing) {
  Frame f({L"/debug"});
  ASSERT_TRUE(f.Start());
  f.steps.clear();
  struct Case {
    int page;
    bool nameFilter;
    std::vector<std::wstring> buttons;  // the services' row buttons wait for a focused service
  } cases[] = {
      {kPageProcesses, true, {L"确认终止进程", L"刷新", L"隐藏"}},
      {kPageWindows, false, {L"隐藏", L"关闭", L"刷新", L"隐藏"}},
      {kPageServices, true, {L"服务管理器", L"刷新", L"隐藏"}},
      {kPageSessions, true, {L"发送信息...", L"断开", L"注销", L"刷新", L"隐藏"}},
      {kPageStartup, true, {L"删除检查自动运行", L"刷新", L"隐藏"}},
      {kPageEnvironment, true, {L"刷新", L"隐藏"}},
      {kPagePerformance, false, {L"刷新", L"隐藏"}},
      {kPageLog, false, {L"刷新", L"隐藏"}},
  };
  for (const Case& c : cases) {
    f.main->SetActivePage(c.page);
    EXPECT_EQ(HasVisibleStyle(f.main->NameFilter().hwnd()), c.nameFilter) << c.page;
    EXPECT_EQ(ShownButtons(*f.main), c.buttons) << c.page;
    for (int other = 0; other < kPageCount; ++other) {
      Page& page = f.main->PageAt(other);
      EXPECT_EQ(HasVisibleStyle(page.hwnd()), other == c.page) << other << " while " << c.page << " is active";
      if (page.StripHwnd()) {
        EXPECT_EQ(HasVisibleStyle(page.StripHwnd()), other == c.page) << other;
      }
    }
  }
  // Above the pages: the process filter and tree switch, the windows page's process list, the OS labels.
  EXPECT_NE(f.processes().ProcessFilter(), nullptr);
  EXPECT_EQ(::GetParent(f.processes().ProcessFilter()), f.processes().StripHwnd());
  EXPECT_EQ(::GetParent(f.performance().OsLabel()), f.performance().StripHwnd());
  EXPECT_TRUE(f.steps.empty());
}

TEST(MainWindow, LogCaptionsAndTheLogClearedOnlyOnceTheProcessListHasRows) {
  Frame f({L"/debug"});
  ASSERT_TRUE(f.Start());
  f.main->WriteLog(L"RefreshCPU: no counter");
  f.main->WriteLog(L"SetupGraphs: none");
  EXPECT_EQ(f.TabText(7), L" 日志 (2) ");
  // The process list is still empty: a manual refresh keeps the lines.
  f.main->RefreshActivePage();
  EXPECT_EQ(f.log().log().LineCount(), 2u);
  f.main->Feeds().processRows.Publish(1);  // as the processes page does after a refresh that found rows
  f.main->RefreshActivePage();
  EXPECT_EQ(f.log().log().LineCount(), 0u);
  EXPECT_EQ(f.TabText(7), L" Log ");
  EXPECT_EQ(Text(f.log().logEdit()), L"");
}

TEST(MainWindow, AWriteWhileTheLogTabIsHiddenShowsWhenItIsShown) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  f.main->WriteLog(L"RefreshWindows: a");
  f.main->WriteLog(L"RefreshWindows: b");
  EXPECT_EQ(f.main->Tabs().Caption(kPageLog), L" 日志 (2) ");
  f.main->SetLogTabVisible(true);
  EXPECT_EQ(f.TabText(7), L" 日志 (2) ");
  EXPECT_EQ(Text(f.log().logEdit()), L"RefreshWindows: a\r\nRefreshWindows: b");
}

TEST(MainWindow, AFailingRefresherWritesOneLineAndTheCycleGoesOn) {
  Frame f({L"/auto"});
  f.main->refreshExecutor = [&f](const RefreshStep& step) {
    f.steps.push_back(step);
    if (step.refresher == Refresher::Services) throw std::runtime_error("access denied");
  };
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(f.steps.size(), PlanRefresh(RefreshKind::AllPages, 0, L"").size());
  ASSERT_EQ(f.log().log().LineCount(), 1u);
  EXPECT_EQ(f.log().log().Lines()[0], L"RefreshServices: access denied");
  // The refresh commands restore the timer they suspended, also after a failure.
  ASSERT_TRUE(f.main->Refresh().TimerRunning());
  f.main->RefreshActivePage();
  EXPECT_TRUE(f.main->Refresh().TimerRunning());
  f.main->RefreshAllPages();
  EXPECT_TRUE(f.main->Refresh().TimerRunning());
}

TEST(MainWindow, IntervalComesFromTheSpinEditAndFollowsIt) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(f.main->Refresh().IntervalMs(), 10000u);
  for (auto [value, ms] : {std::pair{1, 1000u}, std::pair{3600, 3600000u}, std::pair{25, 25000u}}) {
    // Typing into the box: its change notification reaches the window.
    ::SetWindowTextW(f.main->IntervalEdit().editHwnd(), std::to_wstring(value).c_str());
    EXPECT_EQ(f.main->Refresh().IntervalMs(), ms) << value;
  }
}

TEST(MainWindow, AutoSwitchClickTurnsTheModeOnAndOff) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  ::SendMessageW(f.main->AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(f.main->Refresh().TimerRunning());
  EXPECT_EQ(Text(f.processes().KillButton().hwnd()), L"Terminate process");
  EXPECT_FALSE(f.processes().KillButton().Enabled()) << "no focused row";
  ::SendMessageW(f.main->AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  EXPECT_FALSE(f.main->Refresh().TimerRunning());
  EXPECT_EQ(Text(f.processes().KillButton().hwnd()), L"Terminate checked processes");
  EXPECT_FALSE(f.processes().KillButton().Enabled()) << "nothing checked";
}

TEST(MainWindow, CloseUnregistersSessionNotificationsOnlyWhenTheyWereRegistered) {
  StartupEnvironment failing = Frame::QuietEnvironment();
  failing.registerSessionNotification = [](HWND) { return false; };
  Frame f({}, failing);
  ASSERT_TRUE(f.Start());
  EXPECT_FALSE(f.main->SessionNotificationsRegistered());
  ::SendMessageW(f.main->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(f.unregisterCalls, 0);

  Frame ok({});
  ASSERT_TRUE(ok.Start());
  EXPECT_EQ(ok.registerCalls, 1);
  EXPECT_TRUE(ok.main->SessionNotificationsRegistered());
  ::SendMessageW(ok.main->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(ok.unregisterCalls, 1);
}

TEST(MainWindow, ElevationButtonAndTheDefaultProcessFilter) {
  for (bool lacksRights : {true, false}) {
    StartupEnvironment env = Frame::QuietEnvironment();
    env.elevationButtonVisible = [lacksRights] { return lacksRights; };
    Frame f({}, env);
    ASSERT_TRUE(f.Start());
    EXPECT_EQ(HasVisibleStyle(f.main->ElevationButton().hwnd()), lacksRights);
    EXPECT_EQ(::SendMessageW(f.processes().ProcessFilter(), CB_GETCURSEL, 0, 0), lacksRights ? 3 : 0);
  }
}

// A network fact that answers only when the test lets it, and remembers the thread that asked.
struct HeldFact {
  HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> thread{0};
  ~HeldFact() { ::CloseHandle(release); }
  static std::function<std::wstring()> Read(std::shared_ptr<HeldFact> fact, std::wstring line) {
    return [fact, line] {
      fact->thread = ::GetCurrentThreadId();
      ::WaitForSingleObject(fact->release, 5000);
      return line;
    };
  }
};

TEST(MainWindow, SummaryLabelsShowTheSystemFactsAndTheNetworkFactsArriveFromWorkers) {
  StartupEnvironment env = Frame::QuietEnvironment();
  env.osCaption = [] { return std::wstring(L"Microsoft Windows 10"); };
  env.sessionLabel = [] { return std::wstring(L"本地 会话"); };
  env.systemFactLines = [] {
    return std::array<std::wstring, 2>{L"已记录用户: root 在 VM 连接到 VM", L"内部版本号: 18362"};
  };
  const auto ip = std::make_shared<HeldFact>(), mac = std::make_shared<HeldFact>();
  env.ipAddressLine = HeldFact::Read(ip, L"IP 地址: 192.0.2.2,198.51.100.7");
  env.macAddressLine = HeldFact::Read(mac, L"MAC 地址: 02-fc-00-00-00-01");
  Frame f({L"/perf"}, env);
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(Text(f.performance().OsLabel()), L"Microsoft Windows 10");
  EXPECT_EQ(Text(f.performance().SessionLabel()), L"本地 会话");
  EXPECT_TRUE(HasVisibleStyle(f.performance().OsLabel()));
  EXPECT_EQ(Text(f.performance().BuildNumberLabel()), L"内部版本号: 18362");
  EXPECT_TRUE(HasVisibleStyle(f.performance().LoggedUserLabel()));

  const struct {
    const char* fact;
    std::shared_ptr<HeldFact> held;
    HWND label;
    const wchar_t* line;
  } cases[] = {{"IP", ip, f.performance().IpAddressLabel(), L"IP 地址: 192.0.2.2,198.51.100.7"},
               {"MAC", mac, f.performance().MacAddressLabel(), L"MAC 地址: 02-fc-00-00-00-01"}};
  // The window was built while the lookups still waited for their answers.
  for (const auto& c : cases) EXPECT_EQ(Text(c.label), L"<n/a>") << c.fact;
  for (const auto& c : cases) ::SetEvent(c.held->release);
  for (const auto& c : cases) {
    for (int i = 0; i < 300 && Text(c.label) != c.line; ++i) {
      ::Sleep(10);
      f.Pump();
    }
    EXPECT_EQ(Text(c.label), c.line) << c.fact;
    EXPECT_NE(c.held->thread.load(), 0u) << c.fact;
    EXPECT_NE(c.held->thread.load(), ::GetCurrentThreadId()) << c.fact << " was looked up on the window thread";
  }
}

TEST(MainWindow, ProgramMenuButtonCarriesTheVersionHintAndTheMenu) {
  StartupEnvironment env = Frame::QuietEnvironment();
  env.programVersion = [] { return std::make_pair(std::wstring(L"0.1.0.7"), std::wstring(L"Copyright (C) X")); };
  Frame f({}, env);
  ASSERT_TRUE(f.Start());
  ui::CaptionToolbar& bar = f.main->Menu().bar();
  ASSERT_EQ(bar.ButtonCount(), 2);
  EXPECT_EQ(bar.Button(0).caption, L"Vantrel");
  EXPECT_EQ(bar.Button(0).hint, L"Vantrel (0.1.0.7) - Copyright (C) X");
  EXPECT_EQ(bar.Button(0).dropDown, f.main->Menu().menu());
  EXPECT_FALSE(bar.Button(1).enabled);
  std::vector<std::wstring> items;
  for (int i = 0; i < ::GetMenuItemCount(f.main->Menu().menu()); ++i) {
    wchar_t text[64] = {};
    ::GetMenuStringW(f.main->Menu().menu(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    if (*text) items.push_back(text);
  }
  EXPECT_EQ(items, (std::vector<std::wstring>{L"新建任务...", L"查找句柄或 DLL\tCtrl+F", L"拍摄快照", L"关机",
                                              L"在任务栏图标显示器 CPU 使用情况",
                                              L"替换任务管理器", L"命令行帮助...", L"关于...", L"退出"}));
}

TEST(MainWindow, TheIconAndTheIntervalBoxCarryTheirHints) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  const ControlHints& hints = f.main->Hints();
  EXPECT_EQ(hints.HintOf(f.main->IconImage()), L"BU BU BU!");
  EXPECT_EQ(hints.HintOf(f.main->IntervalEdit().editHwnd()), L"在几秒钟内自动刷新间隔");
  EXPECT_EQ(hints.HintOf(f.main->IntervalEdit().upDownHwnd()), L"在几秒钟内自动刷新间隔");
}

TEST(MainWindow, GeometryIsCentredInTheWorkArea) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  RECT work, rc;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::GetWindowRect(f.main->hwnd(), &rc);
  const ui::Dpi dpi = ui::Dpi::ForWindow(f.main->hwnd());
  EXPECT_EQ(rc.right - rc.left, dpi.Scale(1024));
  EXPECT_EQ(rc.bottom - rc.top, work.bottom - work.top);
  EXPECT_EQ(rc.left, work.left + (work.right - work.left - (rc.right - rc.left)) / 2);
}

TEST(MainWindow, RefreshesAskedForInsideARefreshRunOnceAfterItAndATickThereIsDropped) {
  // A refresh that pumps messages (WMI waits do) receives timer ticks and refresh commands inside itself.
  Frame f({L"/auto"});
  int depth = 0, deepest = 0;
  bool ask = false;
  f.main->refreshExecutor = [&](const RefreshStep& step) {
    f.steps.push_back(step);
    deepest = std::max(deepest, ++depth);
    if (!f.main->Refresh().InPeriodicRefresh()) {
      EXPECT_FALSE(f.main->Refresh().TimerRunning()) << "paused while it runs";
    }
    if (ask && step.refresher == Refresher::Processes) {
      ask = false;
      ::SendMessageW(f.main->hwnd(), WM_TIMER, RefreshCycle::kTimerId, 0);
      f.main->RefreshActivePage();
      f.Key(f.processes().tree().hwnd(), VK_F5);
      f.main->RefreshActivePage();
    }
    --depth;
  };
  ASSERT_TRUE(f.Start());
  f.Pump();
  f.steps.clear();

  ask = true;
  f.main->RefreshActivePage();
  EXPECT_EQ(deepest, 1) << "nothing started inside the refresh";
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::ActivePage, kPageProcesses, L"")) << "only the refresh itself so far";
  EXPECT_TRUE(f.main->Refresh().TimerRunning());

  // Afterwards, one refresh that covers every request: F5's.
  f.steps.clear();
  f.Pump();
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::AllPages, kPageProcesses, L""));
  EXPECT_EQ(deepest, 1);
  f.steps.clear();
  f.Pump();
  EXPECT_TRUE(f.steps.empty()) << "the requests ran once";
  EXPECT_TRUE(f.main->Refresh().TimerRunning());

  // The timer's own refresh is guarded as well; a command inside it runs after it.
  ask = true;
  ::SendMessageW(f.main->hwnd(), WM_TIMER, RefreshCycle::kTimerId, 0);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(f.steps, PlanTimerRefresh(kPageProcesses, L""));
  f.steps.clear();
  f.Pump();
  EXPECT_EQ(f.steps, PlanRefresh(RefreshKind::AllPages, kPageProcesses, L""));

  {
    const auto outer = f.main->Refresh().PauseTimer();
    { const auto inner = f.main->Refresh().PauseTimer(); }
    EXPECT_FALSE(f.main->Refresh().TimerRunning()) << "the outer pause still holds";
  }
  EXPECT_TRUE(f.main->Refresh().TimerRunning());
}

TEST(MainWindow, At144DpiOnA1280By1024WorkAreaTheWholeWindowIsOnScreen) {
  StartupEnvironment env = Frame::QuietEnvironment();
  env.workArea = [] { return RECT{0, 0, 1280, 1024}; };
  env.windowDpi = [](HWND) { return 144u; };
  Frame f({}, env);
  ASSERT_TRUE(f.Start());
  RECT rc;
  ::GetWindowRect(f.main->hwnd(), &rc);
  EXPECT_GE(rc.left, 0);
  EXPECT_GE(rc.top, 0);
  EXPECT_LE(rc.right, 1280);
  EXPECT_LE(rc.bottom, 1024);
  // The controls are laid out for the client area that remains: the icon side and the far side both show.
  RECT client;
  ::GetClientRect(f.main->hwnd(), &client);
  for (HWND control : {f.main->NameFilter().hwnd(), f.main->Tabs().hwnd(), f.main->AutoSwitch().hwnd(),
                       f.processes().ProcessFilter()}) {
    RECT c;
    ::GetWindowRect(control, &c);
    ::MapWindowPoints(nullptr, f.main->hwnd(), reinterpret_cast<POINT*>(&c), 2);
    EXPECT_GE(c.left, 0);
    EXPECT_LE(c.right, client.right);
  }
  RECT filter, autoSwitch;
  ::GetWindowRect(f.main->NameFilter().hwnd(), &filter);
  ::GetWindowRect(f.main->AutoSwitch().hwnd(), &autoSwitch);
  EXPECT_EQ(filter.right - filter.left, 300) << "laid out at 144 DPI";
  EXPECT_GT(autoSwitch.left, filter.right);
}

TEST(MainWindow, ALaterWindowOfTheClassDrawsALiveIcon) {
  { Frame first({}); ASSERT_TRUE(first.Start()); }  // its window and everything it owned are gone
  Frame second({});
  ASSERT_TRUE(second.Start());
  for (int which : {GCLP_HICON, GCLP_HICONSM}) {
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(reinterpret_cast<HICON>(::GetClassLongPtrW(second.main->hwnd(), which)), &info)) << which;
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
  }
}

// A process row as the process refresh makes it.
ProcessRecord Process(uint32_t pid, std::wstring name, std::wstring user) {
  ProcessRecord r;
  r.PID = pid;
  r.Name = std::move(name);
  r.Username = std::move(user);
  r.CanBeKilled = true;
  return r;
}

TEST(ListExport, TheProcessListReadsBackFieldByField) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  ui::TreeGrid& list = f.processes().tree();
  const std::vector<ProcessRecord> rows = {Process(4100, L"a;b.exe", L"PC7\\cl\"erk"),
                                            Process(4200, L"say \"hi\".exe", L"x;\"y\""),
                                            Process(4300, L"记事本.exe", L"用户")};
  for (const auto& r : rows) list.AddRow(nullptr, r);
  ContextMenu menu = f.processes().BuildContextMenu(list.hwnd());
  std::vector<std::wstring> captions;
  for (const auto& item : menu.Items()) captions.push_back(item.caption);
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"查找句柄或 DLL", L"检查所有", L"全部取消", L"", L"导出..."}));

  const std::wstring path = TempPath(L"vantrel_export_test.csv");
  ASSERT_EQ(SaveTreeToCSV(list, path, CsvEncoding::Utf8WithBom), 0u);
  const std::string bytes = ReadBytes(path);
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const std::wstring text = FromUtf8(bytes.substr(3));
  const std::vector<std::vector<std::wstring>> lines = FieldLines(text);
  ASSERT_EQ(lines.size(), 1 + rows.size());
  ASSERT_EQ(lines[0].size(), static_cast<size_t>(list.ColumnCount()));
  for (int c = 0; c < list.ColumnCount(); ++c) EXPECT_EQ(lines[0][static_cast<size_t>(c)], list.Column(c).header);
  for (size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(lines[r + 1][Index(ProcessColumn::PID)], std::to_wstring(rows[r].PID));
    EXPECT_EQ(lines[r + 1][Index(ProcessColumn::Name)], rows[r].Name);
    EXPECT_EQ(lines[r + 1][Index(ProcessColumn::UserName)], rows[r].Username);
  }
  ::DeleteFileW(path.c_str());
}

TEST(ListExport, AFailedSaveLeavesTheEarlierFileAndShowsTheErrorBox) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  ui::TreeGrid& list = f.processes().tree();
  list.AddRow(nullptr, Process(4100, L"new.exe", L""));
  const std::wstring path = TempPath(L"vantrel_export_locked.csv");
  {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << "earlier";
  }
  // Held open without sharing by another program: the new file cannot take its place.
  HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  {
    BoxAnswerer ok(IDOK);
    EXPECT_FALSE(SaveListReportingErrors(list, path, CsvEncoding::Utf8WithBom));
    ASSERT_TRUE(ok.found);
    EXPECT_NE(ok.seen.text.find(path), std::wstring::npos) << "the box names the file: " << ::testing::PrintToString(ok.seen.text);
  }
  ::CloseHandle(holder);
  EXPECT_EQ(ReadBytes(path), "earlier");
  ::DeleteFileW(path.c_str());

  // A folder that does not exist: the box, and no file.
  const std::wstring missing = TempPath(L"vantrel_no_such_folder\\list.csv");
  {
    BoxAnswerer ok(IDOK);
    EXPECT_FALSE(SaveListReportingErrors(list, missing, CsvEncoding::Utf8WithBom));
    ASSERT_TRUE(ok.found);
  }
  EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
  // No temporary file is left beside the target.
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(TempPath(L"vtr*.tmp").c_str(), &data);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE);
  if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
}

TEST(MainWindow, ADpiChangeReachesEveryPage) {
  Frame f({L"/perf"});
  ASSERT_TRUE(f.Start());
  RECT rc;
  ::GetWindowRect(f.main->hwnd(), &rc);
  ::SendMessageW(f.main->hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&rc));
  auto height = [](HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
  };
  auto width = [](HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r.right - r.left;
  };
  EXPECT_EQ(width(f.main->NameFilter().hwnd()), 300);
  EXPECT_EQ(height(f.processes().HeaderStrip().hwnd()), 66) << "the header strip follows";
  EXPECT_EQ(height(f.performance().IpAddressLabel()), 26) << "the performance page follows (17 design pixels)";
  f.main->SetActivePage(kPageProcesses);
  EXPECT_EQ(height(f.processes().KillButton().hwnd()), 42) << "the buttons follow";
}

}  // namespace
}  // namespace vantrel::app

namespace vantrel::app {
namespace {

// The pop-up menus opened while `action` runs, each closed again at once (a thread timer runs inside the menu's
// own loop); HIWORD of WM_INITMENUPOPUP tells the window menu apart.
struct OpenedMenu {
  HMENU menu;
  bool windowMenu;
};
std::vector<OpenedMenu>* g_opened = nullptr;

LRESULT CALLBACK RecordMenus(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && g_opened && m->message == WM_INITMENUPOPUP)
    g_opened->push_back({reinterpret_cast<HMENU>(m->wParam), HIWORD(m->lParam) != 0});
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<OpenedMenu> MenusOpenedBy(const std::function<void()>& action) {
  std::vector<OpenedMenu> opened;
  g_opened = &opened;
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &RecordMenus, nullptr, ::GetCurrentThreadId());
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
  action();
  ::KillTimer(nullptr, timer);
  ::UnhookWindowsHookEx(hook);
  g_opened = nullptr;
  return opened;
}

std::vector<std::pair<std::wstring, UINT>> MenuItems(HMENU menu) {
  std::vector<std::pair<std::wstring, UINT>> items;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    items.emplace_back(text, ::GetMenuItemID(menu, i));
  }
  return items;
}

class CaptionModes : public ::testing::TestWithParam<bool> {};

// Features place and mark their items by id: two items may share a caption (a feature's and a test's, or after a
// translation) and each keeps its own place and mark; an anchor that is not in the menu appends.
TEST(CommandMenu, ItemsArePlacedAndMarkedByIdNotByCaption) {
  CommandMenu menu(100);
  const auto first = menu.AddItem(L"项", {});
  const auto second = menu.AddItem(L"项", {});
  menu.AddItemAfter(L"之后", {}, first);
  menu.AddItem(L"之前", {}, second);
  menu.AddItemAfter(L"末尾", {}, 999);
  menu.SetItemChecked(second, true);

  const std::vector<std::pair<std::wstring, UINT>> expected = {
      {L"项", first}, {L"之后", 102}, {L"之前", 103}, {L"项", second}, {L"末尾", 104}};
  EXPECT_EQ(MenuItems(menu.get()), expected);
  EXPECT_FALSE(menu.ItemChecked(first));
  EXPECT_TRUE(menu.ItemChecked(second));
  EXPECT_FALSE(menu.ItemChecked(999));
}

TEST_P(CaptionModes, ButtonsAndClockSitInTheCaptionOrTheStripAndTheMenuButtonDropsTheMenu) {
  const bool composed = GetParam();
  StartupEnvironment env = Frame::QuietEnvironment();
  env.desktopComposesFrame = [composed] { return composed; };
  Frame f({}, env);
  ASSERT_TRUE(f.Start());
  f.main->ShowAtStart(SW_SHOWNORMAL);
  f.main->Feeds().cpuLoad.Publish(CpuLoad{.average = 42});
  ui::CaptionToolbar& bar = f.main->Menu().bar();
  EXPECT_EQ(bar.mode(), composed ? ui::CaptionToolbar::Mode::ClientStrip : ui::CaptionToolbar::Mode::NonClient);
  EXPECT_NE(bar.Button(1).caption.find(L" - CPU: 42%"), std::wstring::npos);

  const RECT menuButton = bar.ButtonRect(0), clock = bar.ButtonRect(1);
  EXPECT_LT(menuButton.right, clock.left + 1);
  RECT tabs{};
  ::GetWindowRect(f.main->Tabs().hwnd(), &tabs);
  POINT menuCentre{(menuButton.left + menuButton.right) / 2, (menuButton.top + menuButton.bottom) / 2};
  if (composed) {
    // The strip spans the client area's top; everything else starts below it.
    RECT strip{};
    ::GetWindowRect(bar.stripHwnd(), &strip);
    POINT clientOrigin{0, 0};
    ::ClientToScreen(f.main->hwnd(), &clientOrigin);
    EXPECT_EQ(strip.top, clientOrigin.y);
    EXPECT_EQ(strip.bottom - strip.top, bar.StripHeight());
    EXPECT_GT(bar.StripHeight(), 0);
    EXPECT_GE(tabs.top, strip.bottom);
    EXPECT_LE(clock.right, strip.right - strip.left);
    EXPECT_TRUE(HasVisibleStyle(bar.stripHwnd()));
    ::ClientToScreen(bar.stripHwnd(), &menuCentre);
  } else {
    // Painted into the caption: above the client area, and no strip.
    EXPECT_EQ(bar.stripHwnd(), nullptr);
    EXPECT_EQ(bar.StripHeight(), 0);
    RECT window{}, client{};
    ::GetWindowRect(f.main->hwnd(), &window);
    ::GetClientRect(f.main->hwnd(), &client);
    POINT clientOrigin{0, 0};
    ::ClientToScreen(f.main->hwnd(), &clientOrigin);
    EXPECT_LE(menuButton.bottom + window.top, clientOrigin.y);
    menuCentre.x += window.left;
    menuCentre.y += window.top;
  }
  EXPECT_EQ(bar.ButtonAt(menuCentre), 0);
  // A click on the menu button drops the program menu down.
  const auto opened = MenusOpenedBy([&] {
    if (composed) {
      POINT c = menuCentre;
      ::ScreenToClient(bar.stripHwnd(), &c);
      ::SendMessageW(bar.stripHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    } else {
      ::SendMessageW(f.main->hwnd(), WM_NCLBUTTONDOWN, ui::CaptionToolbar::kHitButton,
                     MAKELPARAM(menuCentre.x, menuCentre.y));
    }
  });
  ASSERT_FALSE(opened.empty());
  EXPECT_EQ(opened.front().menu, f.main->Menu().menu());
}

INSTANTIATE_TEST_SUITE_P(DesktopComposes, CaptionModes, ::testing::Bool());

TEST(CaptionMenu, SystemMenuCarriesTheProgramMenuAndKeysOpenIt) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  f.main->ShowAtStart(SW_SHOWNORMAL);
  int picked = 0;
  const auto testItem = f.main->Menu().AddItem(L"测试项", [&] { ++picked; });
  HMENU system = ::GetSystemMenu(f.main->hwnd(), FALSE);
  ASSERT_NE(system, nullptr);
  ::SendMessageW(f.main->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));

  // The program menu's items follow the system's own, with the same ids; submenus are copied with theirs.
  const auto program = MenuItems(f.main->Menu().menu());
  auto all = MenuItems(system);
  ASSERT_GT(all.size(), program.size());
  const std::vector<std::pair<std::wstring, UINT>> tail(all.end() - static_cast<long>(program.size()), all.end());
  EXPECT_EQ(tail, program);
  const auto power = std::find_if(program.begin(), program.end(), [](const auto& i) { return i.first == L"关机"; });
  ASSERT_NE(power, program.end());
  const int at = static_cast<int>(power - program.begin());
  const auto powerItems = MenuItems(::GetSubMenu(f.main->Menu().menu(), at));
  EXPECT_FALSE(powerItems.empty());
  EXPECT_EQ(MenuItems(::GetSubMenu(system, static_cast<int>(all.size() - program.size()) + at)), powerItems);

  // Caption buttons have no commands of their own: each one that can be pressed drops the program menu down, so
  // whatever it offers the system menu offers too (to the keyboard and to screen readers).
  ui::CaptionToolbar& bar = f.main->Menu().bar();
  ASSERT_GT(bar.ButtonCount(), 0);
  for (int i = 0; i < bar.ButtonCount(); ++i) {
    if (!bar.Button(i).enabled) continue;
    EXPECT_EQ(bar.Button(i).dropDown, f.main->Menu().menu()) << "caption button " << i;
  }

  // A pick in the system menu arrives as WM_SYSCOMMAND and runs the item's handler.
  ::SendMessageW(f.main->hwnd(), WM_SYSCOMMAND, program.back().second, 0);
  EXPECT_EQ(picked, 1);
  // A check mark set in the program menu shows the next time the system menu opens, and the copy does not pile up.
  f.main->Menu().SetItemChecked(testItem, true);
  ::SendMessageW(f.main->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
  EXPECT_EQ(MenuItems(system).size(), all.size());
  EXPECT_TRUE(::GetMenuState(system, static_cast<UINT>(all.size() - 1), MF_BYPOSITION) & MF_CHECKED);

  // F10 or Alt alone (SC_KEYMENU without a character) drops the program menu; Alt+Space opens the system menu.
  auto keyMenu = [&](LPARAM character) {
    return MenusOpenedBy([&] { ::SendMessageW(f.main->hwnd(), WM_SYSCOMMAND, SC_KEYMENU, character); });
  };
  const auto byF10 = keyMenu(0);
  ASSERT_FALSE(byF10.empty());
  EXPECT_EQ(byF10.front().menu, f.main->Menu().menu());
  const auto bySpace = keyMenu(L' ');
  ASSERT_FALSE(bySpace.empty());
  EXPECT_TRUE(bySpace.front().windowMenu);
}

}  // namespace
}  // namespace vantrel::app
