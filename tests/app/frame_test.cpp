// The main window in this process, driven by the messages a user's actions send, with the refreshers
// replaced by a recorder.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "core/shell/frame_controls.h"
#include "core/shell/pages.h"
#include "core/shell/refresh_plan.h"

namespace vantrel::app {
namespace {

struct Frame {
  std::vector<RefreshStep> steps;
  std::unique_ptr<Twnd_tm_Main> main;
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
    main = std::make_unique<Twnd_tm_Main>(TCommandLineSwitches(words), std::move(env));
    main->refreshExecutor = [this](const RefreshStep& step) { steps.push_back(step); };
  }
  bool Start() { return main->CreateAndStart(); }

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
  int TabCount() const { return static_cast<int>(::SendMessageW(main->PageControl(), TCM_GETITEMCOUNT, 0, 0)); }
  std::wstring TabText(int tab) const {
    wchar_t buf[128] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 128;
    ::SendMessageW(main->PageControl(), TCM_GETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
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
  EXPECT_FALSE(plain.main->LogTabVisible());

  Frame debug({L"/debug"});
  ASSERT_TRUE(debug.Start());
  ASSERT_EQ(debug.TabCount(), 8);
  EXPECT_EQ(debug.TabText(7), L" 日志 ");
}

TEST(MainWindow, CtrlLTogglesTheLogTabAndOtherModifiersDoNot) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  HWND target = f.main->Processes().FocusTarget();
  f.Key(target, 'L', /*ctrl=*/true);
  EXPECT_EQ(f.TabCount(), 8);
  f.Key(target, 'L', /*ctrl=*/true, /*shift=*/true);
  EXPECT_EQ(f.TabCount(), 8);
  f.Key(target, 'L');
  EXPECT_EQ(f.TabCount(), 8);
  f.Key(target, 'L', /*ctrl=*/true);
  EXPECT_EQ(f.TabCount(), 7);
  EXPECT_TRUE(f.steps.size() == PlanRefreshData(-1, 0, L"").size()) << "toggling the tab refreshes nothing";
}

TEST(MainWindow, HidingTheActiveLogTabMovesToTheFirstPage) {
  Frame f({L"-DEBUG"});
  ASSERT_TRUE(f.Start());
  f.main->SetActivePage(kPageLog);
  ASSERT_EQ(f.main->ActivePage(), kPageLog);
  f.main->SetLogTabVisible(false);
  EXPECT_EQ(f.main->ActivePage(), kPageProcesses);
  EXPECT_EQ(::SendMessageW(f.main->PageControl(), TCM_GETCURSEL, 0, 0), 0);
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
    EXPECT_EQ(::SendMessageW(f.main->PageControl(), TCM_GETCURSEL, 0, 0), c.page);
  }
}

TEST(MainWindow, AutoAndTreeSwitches) {
  Frame plain({});
  ASSERT_TRUE(plain.Start());
  EXPECT_FALSE(plain.main->TimerEnabled());
  EXPECT_FALSE(plain.main->AutoSwitch().On());
  EXPECT_FALSE(plain.main->TreeSwitch().On());
  EXPECT_EQ(Text(plain.main->KillButton()), L"确认终止进程");

  Frame f({L"/AUTO", L"/tree"});
  ASSERT_TRUE(f.Start());
  EXPECT_TRUE(f.main->AutoSwitch().On());
  EXPECT_TRUE(f.main->TimerEnabled());
  EXPECT_EQ(Text(f.main->KillButton()), L"Terminate process");
  EXPECT_TRUE(f.main->TreeSwitch().On());
  EXPECT_TRUE(f.main->Processes().tree().TreeLayout());
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
}

TEST(MainWindow, FirstRefreshIsFullAndF5RefreshesEveryPage) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(f.steps, PlanRefreshData(-1, kPageProcesses, L""));
  f.main->ShowAtStart(SW_SHOWNORMAL);
  f.main->SetActivePage(kPageServices);
  f.main->NameFilter().SetText(L"spool");
  f.steps.clear();
  f.Key(f.main->Control(FrameControl::eFilter), VK_F5);
  EXPECT_EQ(f.steps, PlanRefreshData(-1, kPageServices, L"spool"));
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
  EXPECT_EQ(f.steps, PlanRefreshData(kPageProcesses, kPageProcesses, L"note"));

  f.steps.clear();
  f.Key(filter.editHwnd(), VK_RETURN, /*ctrl=*/true);
  EXPECT_TRUE(f.steps.empty()) << "Enter with a modifier does not refresh";

  f.steps.clear();
  ::SendMessageW(filter.leftButtonHwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(f.steps, PlanRefreshData(kPageProcesses, kPageProcesses, L"note"));

  f.steps.clear();
  ::SendMessageW(filter.rightButtonHwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(filter.Text(), L"");
  // The box takes the focus, then the refresh hands it to the active page's tree as every refresh does.
  HWND tree = f.main->Processes().tree().hwnd();
  EXPECT_TRUE(::GetFocus() == tree || ::IsChild(tree, ::GetFocus()));
  EXPECT_EQ(f.steps, PlanRefreshData(kPageProcesses, kPageProcesses, L""));
}

TEST(MainWindow, ProcessFilterAndTreeSwitchRefresh) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  f.steps.clear();
  HWND combo = f.main->ProcessFilter();
  ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
  ::SendMessageW(f.main->hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(f.steps, PlanRefreshData(kPageProcesses, kPageProcesses, L""));

  f.steps.clear();
  ::SendMessageW(f.main->TreeSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(f.main->Processes().tree().TreeLayout());
  EXPECT_EQ(f.steps, PlanRefreshData(kPageProcesses, kPageProcesses, L""));
}

TEST(MainWindow, TimerRefreshesOnlyTheActivePageAndNeverClearsTheLog) {
  Frame f({L"/debug"});
  ASSERT_TRUE(f.Start());
  f.main->NameFilter().SetText(L"x");
  f.main->WriteLog(L"RefreshServices: kept");
  for (int page = 0; page < kPageCount; ++page) {
    f.main->SetActivePage(page);
    f.steps.clear();
    ::SendMessageW(f.main->hwnd(), WM_TIMER, Twnd_tm_Main::kRefreshTimerId, 0);
    EXPECT_EQ(f.steps, PlanTimerRefresh(page, L"x")) << page;
  }
  EXPECT_EQ(f.main->Log().log().LineCount(), 1u);
}

TEST(MainWindow, TheRealTimerFiresAtTheSpinEditsInterval) {
  Frame f({L"/auto"});
  ASSERT_TRUE(f.Start());
  ::SetWindowTextW(f.main->IntervalEdit().editHwnd(), L"1");
  ASSERT_EQ(f.main->TimerIntervalMs(), 1000u);
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

TEST(MainWindow, PageChangeSetsVisibilityAndRefreshesNothing) {
  Frame f({L"/debug"});
  ASSERT_TRUE(f.Start());
  f.steps.clear();
  for (int page = 0; page < kPageCount; ++page) {
    f.main->SetActivePage(page);
    for (int c = 0; c < kFrameControlCount; ++c) {
      const auto control = static_cast<FrameControl>(c);
      EXPECT_EQ(HasVisibleStyle(f.main->Control(control)), FrameControlVisible(control, page, false))
          << "control " << c << " on page " << page;
    }
  }
  EXPECT_TRUE(f.steps.empty());
}

TEST(MainWindow, LogCaptionsAndTheLogClearedOnlyOnceTheProcessListHasRows) {
  Frame f({L"/debug"});
  ASSERT_TRUE(f.Start());
  f.main->WriteLog(L"RefreshCPU: no counter");
  f.main->WriteLog(L"SetupGraphs: none");
  EXPECT_EQ(f.TabText(7), L" 日志 (2) ");
  // The process list is still empty: a manual refresh keeps the lines.
  f.main->cmRefresh();
  EXPECT_EQ(f.main->Log().log().LineCount(), 2u);
  f.main->Processes().tree().AddRow(nullptr, TProcessRecord{});
  f.main->cmRefresh();
  EXPECT_EQ(f.main->Log().log().LineCount(), 0u);
  EXPECT_EQ(f.TabText(7), L" Log ");
  EXPECT_EQ(Text(f.main->Log().memo()), L"");
}

TEST(MainWindow, AWriteWhileTheLogTabIsHiddenShowsWhenItIsShown) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  f.main->WriteLog(L"RefreshWindows: a");
  f.main->WriteLog(L"RefreshWindows: b");
  EXPECT_EQ(f.main->TabCaption(kPageLog), L" 日志 (2) ");
  f.main->SetLogTabVisible(true);
  EXPECT_EQ(f.TabText(7), L" 日志 (2) ");
  EXPECT_EQ(Text(f.main->Log().memo()), L"RefreshWindows: a\r\nRefreshWindows: b");
}

TEST(MainWindow, AFailingRefresherWritesOneLineAndTheCycleGoesOn) {
  Frame f({L"/auto"});
  f.main->refreshExecutor = [&f](const RefreshStep& step) {
    f.steps.push_back(step);
    if (step.refresher == Refresher::Services) throw std::runtime_error("access denied");
  };
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(f.steps.size(), PlanRefreshData(-1, 0, L"").size());
  ASSERT_EQ(f.main->Log().log().LineCount(), 1u);
  EXPECT_EQ(f.main->Log().log().Lines()[0], L"RefreshServices: access denied");
  // The refresh commands restore the timer they suspended, also after a failure.
  ASSERT_TRUE(f.main->TimerEnabled());
  f.main->cmRefresh();
  EXPECT_TRUE(f.main->TimerEnabled());
  f.main->cmRefreshAll();
  EXPECT_TRUE(f.main->TimerEnabled());
}

TEST(MainWindow, IntervalComesFromTheSpinEditAndFollowsIt) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(f.main->TimerIntervalMs(), 10000u);
  for (auto [value, ms] : {std::pair{1, 1000u}, std::pair{3600, 3600000u}, std::pair{25, 25000u}}) {
    // Typing into the box: its change notification reaches the window.
    ::SetWindowTextW(f.main->IntervalEdit().editHwnd(), std::to_wstring(value).c_str());
    EXPECT_EQ(f.main->TimerIntervalMs(), ms) << value;
  }
}

TEST(MainWindow, AutoSwitchClickTurnsTheModeOnAndOff) {
  Frame f({});
  ASSERT_TRUE(f.Start());
  ::SendMessageW(f.main->AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(f.main->TimerEnabled());
  EXPECT_EQ(Text(f.main->KillButton()), L"Terminate process");
  EXPECT_FALSE(::IsWindowEnabled(f.main->KillButton())) << "no focused row";
  ::SendMessageW(f.main->AutoSwitch().buttonHwnd(), BM_CLICK, 0, 0);
  EXPECT_FALSE(f.main->TimerEnabled());
  EXPECT_EQ(Text(f.main->KillButton()), L"Terminate checked processes");
  EXPECT_FALSE(::IsWindowEnabled(f.main->KillButton())) << "nothing checked";
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
    EXPECT_EQ(HasVisibleStyle(f.main->RunAsAdminButton()), lacksRights);
    EXPECT_EQ(::SendMessageW(f.main->ProcessFilter(), CB_GETCURSEL, 0, 0), lacksRights ? 3 : 0);
  }
}

TEST(MainWindow, SummaryLabelsShowTheSystemFacts) {
  StartupEnvironment env = Frame::QuietEnvironment();
  env.osCaption = [] { return std::wstring(L"Microsoft Windows 10"); };
  env.sessionLabel = [] { return std::wstring(L"本地 会话"); };
  env.systemFactLines = [] {
    return std::array<std::wstring, 3>{L"已记录用户: root 在 VM 连接到 VM", L"IP 地址: 192.0.2.2", L"内部版本号: 18362"};
  };
  env.macAddressLine = [] {
    ::Sleep(50);
    return std::wstring(L"MAC 地址: 02-FC-00-00-00-01");
  };
  Frame f({L"/perf"}, env);
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(Text(f.main->OsLabel()), L"Microsoft Windows 10");
  EXPECT_EQ(Text(f.main->SessionLabel()), L"本地 会话");
  EXPECT_TRUE(HasVisibleStyle(f.main->OsLabel()));
  EXPECT_EQ(Text(f.main->Performance().lIP()), L"IP 地址: 192.0.2.2");
  // The MAC line arrives from its worker through the message loop.
  for (int i = 0; i < 200 && Text(f.main->Performance().lMAC()).empty(); ++i) {
    ::Sleep(10);
    f.Pump();
  }
  EXPECT_EQ(Text(f.main->Performance().lMAC()), L"MAC 地址: 02-FC-00-00-00-01");
  EXPECT_EQ(Text(f.main->Performance().lBN()), L"内部版本号: 18362");
  EXPECT_TRUE(HasVisibleStyle(f.main->Performance().lCU()));
}

TEST(MainWindow, ProgramMenuButtonCarriesTheVersionHintAndTheMenu) {
  StartupEnvironment env = Frame::QuietEnvironment();
  env.programVersion = [] { return std::make_pair(std::wstring(L"0.1.0.7"), std::wstring(L"Copyright (C) X")); };
  Frame f({}, env);
  ASSERT_TRUE(f.Start());
  ui::CaptionToolbar& bar = f.main->CaptionBar();
  ASSERT_EQ(bar.ButtonCount(), 2);
  EXPECT_EQ(bar.Button(0).caption, L"Vantrel");
  EXPECT_EQ(bar.Button(0).hint, L"Vantrel (0.1.0.7) - Copyright (C) X");
  EXPECT_EQ(bar.Button(0).dropDown, f.main->ProgramMenu());
  EXPECT_FALSE(bar.Button(1).enabled);
  std::vector<std::wstring> items;
  for (int i = 0; i < ::GetMenuItemCount(f.main->ProgramMenu()); ++i) {
    wchar_t text[64] = {};
    ::GetMenuStringW(f.main->ProgramMenu(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    if (*text) items.push_back(text);
  }
  EXPECT_EQ(items, (std::vector<std::wstring>{L"新建任务...", L"命令行帮助...", L"关于...", L"退出"}));
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

}  // namespace
}  // namespace vantrel::app
