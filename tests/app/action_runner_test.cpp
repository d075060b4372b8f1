// A page's action through ActionRunner, with the real main window as its host and the refreshers replaced by a
// recorder: what the page sees while the worker works, when its report runs, and what follows the report.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "app/frame/main_window.h"
#include "app/pages/action_runner.h"
#include "page_test_support.h"

namespace vantrel::app {
namespace {

TEST(ActionRunner, TheWorkRunsOnAWorkerTheReportWhileStillRunningThenTheRefreshItAsksFor) {
  const struct {
    ActionRunner::After after;
    ActionRunner::Cursor cursor;
  } cases[] = {{ActionRunner::After::Refresh, ActionRunner::Cursor::Busy},
               {ActionRunner::After::Nothing, ActionRunner::Cursor::Unchanged}};
  auto main = testing::QuietMainWindow();
  std::vector<RefreshStep> steps;
  main->refreshExecutor = [&steps](const RefreshStep& step) { steps.push_back(step); };
  ASSERT_TRUE(main->CreateAndStart());
  for (const auto& c : cases) {
    const bool refresh = c.after == ActionRunner::After::Refresh;
    const bool busy = c.cursor == ActionRunner::Cursor::Busy;
    SCOPED_TRACE(::testing::Message() << "refresh " << refresh << ", busy cursor " << busy);
    steps.clear();

    std::vector<bool> changes;  // Running() at each call of the page's follower
    ActionRunner runner([&] { changes.push_back(runner.Running()); }, c.cursor);
    // The worker waits for the test's signal: the window thread must not.
    auto release = std::make_shared<std::atomic<bool>>(false);
    const DWORD windowThread = ::GetCurrentThreadId();
    bool reported = false, runningInReport = false;
    runner.Run(
        *main,
        [release, windowThread] {
          while (!*release) ::Sleep(5);
          return ::GetCurrentThreadId() != windowThread;
        },
        [&](const bool& onWorker) {
          EXPECT_TRUE(onWorker);
          EXPECT_EQ(::GetCurrentThreadId(), windowThread) << "the report runs on the window thread";
          reported = true;
          runningInReport = runner.Running();
          return c.after;
        });
    EXPECT_TRUE(runner.Running());
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_EQ(main->BackgroundWork(), busy ? 1 : 0);
    testing::PumpUntil(*main, [] { return false; }, 100);
    EXPECT_FALSE(reported) << "the report came before the work ended";

    *release = true;
    ASSERT_TRUE(testing::PumpUntil(*main, [&] { return reported; }, 5000));
    EXPECT_TRUE(runningInReport) << "nothing may start under the report's boxes";
    EXPECT_FALSE(runner.Running());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(main->BackgroundWork(), 0);
    EXPECT_EQ(!steps.empty(), refresh) << "the refresh command follows only a report that asks for it";
  }
}

}  // namespace
}  // namespace vantrel::app
