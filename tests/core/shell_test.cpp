// The refresh plans, the start-up rules and the activity log.
#include <gtest/gtest.h>

#include "core/shell/activity_log.h"
#include "core/shell/pages.h"
#include "core/shell/refresh_plan.h"
#include "core/shell/startup_rules.h"

namespace vantrel {
namespace {

using R = Refresher;

TEST(RefreshPlan, FullRefreshRunsEveryListWithTheFilterOnTheActivePageOnly) {
  const std::vector<RefreshStep> expected = {
      {R::Sessions, L""},  {R::Services, L"svc"},   {R::Processes, L""},
      {R::Windows, L""},   {R::Environment, L""},   {R::Autoruns, L""},
  };
  EXPECT_EQ(PlanRefresh(RefreshKind::AllPages, kPageServices, L"svc"), expected);
}

TEST(RefreshPlan, ManualRefreshOnAnyPageRebuildsEveryListAndRenewsTheSessionProcessesFirst) {
  const std::vector<RefreshStep> expected = {
      {R::Sessions, L"ab"}, {R::Services, L""},  {R::SessionProcesses, L""}, {R::Processes, L""},
      {R::Windows, L""},    {R::Environment, L""}, {R::Autoruns, L""},
  };
  // On the sessions page the filter reaches the sessions list, and nothing after it undoes that.
  EXPECT_EQ(PlanRefresh(RefreshKind::ActivePage, kPageSessions, L"ab"), expected);

  const auto onStartup = PlanRefresh(RefreshKind::ActivePage, kPageStartup, L"run");
  ASSERT_EQ(onStartup.size(), 7u);
  EXPECT_EQ(onStartup.back(), (RefreshStep{R::Autoruns, L"run"}));
  const auto onProcesses = PlanRefresh(RefreshKind::ActivePage, kPageProcesses, L"note");
  EXPECT_EQ(onProcesses[3], (RefreshStep{R::Processes, L"note"}));
}


TEST(RefreshPlan, TimerRefreshesOnlyTheActivePageAndNothingOnPagesFourToSeven) {
  EXPECT_EQ(PlanTimerRefresh(kPageProcesses, L"f"),
            (std::vector<RefreshStep>{{R::Sessions, L""}, {R::Processes, L"f"}, {R::Windows, L""}}));
  EXPECT_EQ(PlanTimerRefresh(kPageWindows, L"f"), (std::vector<RefreshStep>{{R::Windows, L""}}));
  EXPECT_EQ(PlanTimerRefresh(kPageServices, L"f"), (std::vector<RefreshStep>{{R::Services, L"f"}}));
  EXPECT_EQ(PlanTimerRefresh(kPageSessions, L"f"), (std::vector<RefreshStep>{{R::Sessions, L"f"}}));
  for (int page = kPageStartup; page < kPageCount; ++page) EXPECT_TRUE(PlanTimerRefresh(page, L"f").empty()) << page;
}

TEST(RefreshPlan, EachRefresherRebuildsItsOwnPage) {
  const std::pair<Refresher, int> cases[] = {
      {Refresher::Sessions, kPageSessions},     {Refresher::SessionProcesses, kPageSessions},
      {Refresher::Services, kPageServices},     {Refresher::Processes, kPageProcesses},
      {Refresher::Windows, kPageWindows},       {Refresher::Environment, kPageEnvironment},
      {Refresher::Autoruns, kPageStartup},
  };
  for (const auto& [refresher, page] : cases) EXPECT_EQ(RefresherPage(refresher), page) << RefresherName(refresher);
}

TEST(StartupRules, MainWindowBounds) {
  struct Case {
    ScreenRect work;
    int screenWidth;
    bool remote;
    ScreenRect expected;
  } cases[] = {
      {{0, 0, 1280, 1024}, 1280, false, {128, 0, 1152, 1024}},
      {{0, 0, 1280, 1024}, 1280, true, {128, 25, 1152, 999}},
      {{0, 0, 800, 600}, 800, false, {0, 0, 800, 600}},  // design width 832 clamped to an 800-pixel screen
      {{100, 30, 1381, 1000}, 1281, false, {228, 30, 1252, 1000}},  // odd halves truncate
      {{0, 0, 1000, 600}, 1000, true, {0, 25, 1000, 575}},     // narrower than 1024: clamped
      {{0, 0, 0, 0}, 0, false, {0, 0, 0, 0}},                   // no work area at all
  };
  for (const Case& c : cases)
    EXPECT_EQ(MainWindowBounds(c.work, c.screenWidth, c.remote, 832), c.expected)
        << c.work.right << "x" << c.work.bottom << " remote=" << c.remote;
}

TEST(StartupRules, ElevationButtonHiddenOnlyWithAdministrativeRights) {
  struct Case {
    bool older, admin, elevated, visible;
  } cases[] = {
      {true, true, false, false},  {false, true, true, false}, {false, true, false, true},
      {false, false, true, true},  {true, false, false, true}, {false, false, false, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ElevationButtonVisible(c.older, c.admin, c.elevated), c.visible)
        << c.older << c.admin << c.elevated;
}

TEST(StartupRules, CheckBoxesOnlyOnRowsThatMayBeTerminated) {
  EXPECT_FALSE(ProcessRowGetsCheckBox(4, 1000, true));
  EXPECT_FALSE(ProcessRowGetsCheckBox(9, 1000, true));
  EXPECT_TRUE(ProcessRowGetsCheckBox(10, 1000, true));
  EXPECT_FALSE(ProcessRowGetsCheckBox(1000, 1000, true));
  EXPECT_FALSE(ProcessRowGetsCheckBox(1200, 1000, false));
}

TEST(StartupRules, RefreshIntervalIsClampedToTheSpinRange) {
  EXPECT_EQ(RefreshIntervalMs(1), 1000);
  EXPECT_EQ(RefreshIntervalMs(10), 10000);
  EXPECT_EQ(RefreshIntervalMs(3600), 3600000);
  EXPECT_EQ(RefreshIntervalMs(0), 1000);
  EXPECT_EQ(RefreshIntervalMs(99999), 3600000);
  EXPECT_EQ(RefreshIntervalMs(2.6), 3000);
}

TEST(StartupRules, HintAndAboutTexts) {
  EXPECT_EQ(ProgramButtonHint(L"Vantrel", L"1.2.3.4", L"(C) X"), L"Vantrel (1.2.3.4) - (C) X");
  EXPECT_EQ(AboutText(L"Vantrel", L"1.2.3.4", L"(C) X"), L"Vantrel 1.2.3.4\r\n(C) X");
}

TEST(ActivityLog, CaptionCountsLinesAndClearingSaysLog) {
  ActivityLog log;
  EXPECT_EQ(log.Caption(), L" 日志 ");
  log.Write(L"RefreshServices: access denied");
  log.Write(L"RefreshSessions: x");
  EXPECT_EQ(log.Caption(), L" 日志 (2) ");
  EXPECT_EQ(log.Lines().front(), L"RefreshServices: access denied");
  log.Clear();
  EXPECT_EQ(log.Caption(), L" Log ");
  EXPECT_EQ(log.LineCount(), 0u);
}

TEST(ActivityLog, KeepsTheNewestLinesWithinTheBound) {
  ActivityLog log;
  size_t dropped = 0;
  for (size_t i = 0; i < ActivityLog::kMaxLines + 3; ++i) dropped += log.Write(L"line " + std::to_wstring(i));
  EXPECT_EQ(dropped, 3u);
  EXPECT_EQ(log.LineCount(), ActivityLog::kMaxLines);
  EXPECT_EQ(log.Lines().front(), L"line 3");
  EXPECT_EQ(log.Caption(), L" 日志 (5000) ");
}

TEST(ActivityLog, AMessageWithLineBreaksStaysOneLine) {
  ActivityLog log;
  log.Write(L"RefreshServices: Access is denied.\r\n");
  log.Write(L"a\r\nb");
  EXPECT_EQ(log.LineCount(), 2u);
  EXPECT_EQ(log.Lines()[0], L"RefreshServices: Access is denied.");
  EXPECT_EQ(log.Lines()[1], L"a  b");
  EXPECT_EQ(LogLine(L"RefreshWindows", L"boom"), L"RefreshWindows: boom");
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(StartupRules, MainWindowBoundsScaleWithDpi) {
  // 144 DPI: 1536 wide when the screen is wider than 1200, the remote cut is 75.
  EXPECT_EQ(MainWindowBounds({0, 0, 1920, 1080}, 1920, true, 1248, 144), (ScreenRect{192, 37, 1728, 1042}));
  EXPECT_EQ(MainWindowBounds({0, 0, 1200, 900}, 1200, false, 1248, 144), (ScreenRect{0, 0, 1200, 900}));
  // 150 % on a 1280x1024 screen: 1536 would reach x = -128.
  EXPECT_EQ(MainWindowBounds({0, 0, 1280, 1024}, 1280, false, 1248, 144), (ScreenRect{0, 0, 1280, 1024}));
}

}  // namespace
}  // namespace vantrel
