// The update check's exchange against the local server that update_test.sh starts (ports in the environment).
#include "system/update/web_update.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

namespace vantrel::update {
namespace {

using Clock = std::chrono::steady_clock;

std::wstring Port(const char* variable) {
  const char* value = std::getenv(variable);
  return value ? std::wstring(value, value + std::char_traits<char>::length(value)) : std::wstring();
}

class UpdateExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    http_ = Port("VANTREL_TEST_HTTP_PORT");
    ASSERT_FALSE(http_.empty()) << "run through update_test.sh, which starts the server";
  }
  UpdateCheckConfig Config(const std::wstring& port, const std::wstring& path) const {
    UpdateCheckConfig config;
    config.URL = L"http://127.0.0.1:" + port + path;
    config.RunningVersion = L"1.2.0.0";
    return config;
  }
  std::wstring http_;
};

TEST_F(UpdateExchange, EachServerBehaviourGivesItsOutcomeWithinTheBounds) {
  const std::wstring timeoutText = L"timed out";
  struct Case {
    std::wstring port;
    const wchar_t* path;
    UpdateVerdict verdict;
    std::wstring error;  // a part of the error text
  } cases[] = {
      {http_, L"/newer", UpdateVerdict::Newer, L""},
      {http_, L"/same", UpdateVerdict::Same, L""},
      {http_, L"/older", UpdateVerdict::Older, L""},
      {http_, L"/redirect", UpdateVerdict::Newer, L""},           // HTTP 302 to a relative address
      {http_, L"/absolute-redirect", UpdateVerdict::Older, L""},  // HTTP 302 to a full address
      {http_, L"/other-host-redirect", UpdateVerdict::Error, L"redirect refused"},
      {http_, L"/meta-redirect", UpdateVerdict::Newer, L""},
      {http_, L"/loop", UpdateVerdict::Error, L"empty info"},
      {http_, L"/meta-loop", UpdateVerdict::Error, L"empty info"},
      {http_, L"/no-length", UpdateVerdict::Newer, L""},
      {http_, L"/big", UpdateVerdict::Error, L"page too large"},
      {http_, L"/big-no-length", UpdateVerdict::Error, L"page too large"},
      {http_, L"/missing", UpdateVerdict::Error, L"empty info"},  // a 404 page has no release information
      // A byte every 4 s: no read ever times out, the deadline ends the check.
      {http_, L"/trickle", UpdateVerdict::Error, L"deadline reached"},
      {Port("VANTREL_TEST_HANG_PORT"), L"/newer", UpdateVerdict::Error, L""},
      {Port("VANTREL_TEST_REFUSED_PORT"), L"/newer", UpdateVerdict::Error, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path, c.path + wcslen(c.path)) + " on port " + std::string(c.port.begin(), c.port.end()));
    const UpdateCheckConfig config = Config(c.port, c.path);
    const auto start = Clock::now();
    const UpdateOutcome outcome = CheckForAnUpdate(config);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    printf("%ls: %lld ms, %ls\n", c.path, static_cast<long long>(elapsed), outcome.DownloadError.c_str());
    EXPECT_EQ(static_cast<int>(outcome.Verdict), static_cast<int>(c.verdict));
    EXPECT_NE(outcome.DownloadError.find(c.error), std::wstring::npos)
        << std::string(outcome.DownloadError.begin(), outcome.DownloadError.end());
    if (c.verdict == UpdateVerdict::Error) {
      EXPECT_FALSE(outcome.DownloadError.empty());
    }
    // The whole check ends by its deadline, whatever the server does.
    EXPECT_LT(elapsed, config.DeadlineMs + 1000) << elapsed << " ms";
    if (c.verdict == UpdateVerdict::Newer) {
      EXPECT_EQ(outcome.Info.ProductName, L"Vantrel");
    }
  }
}

TEST_F(UpdateExchange, WorkerCallsBackOnceAndRefusesASecondStart) {
  std::mutex m;
  std::condition_variable done;
  int calls = 0;
  UpdateOutcome received;
  UpdateCheck webUpdate;
  ASSERT_TRUE(webUpdate.Start(Config(http_, L"/newer"), [&](const UpdateOutcome& outcome) {
    std::lock_guard guard(m);
    received = outcome;
    ++calls;
    done.notify_all();
  }));
  {
    std::unique_lock guard(m);
    ASSERT_TRUE(done.wait_for(guard, std::chrono::seconds(15), [&] { return calls == 1; }));
  }
  EXPECT_EQ(received.Verdict, UpdateVerdict::Newer);
  EXPECT_EQ(received.Info.ProductVersion, L"9.0.0.0");
  while (webUpdate.Active()) Sleep(5);

  // A check against a server that never answers: a second start is refused; Abort ends the check at once, long
  // before WinInet's receive timeout would end its wait.
  {
    UpdateCheck hanging;
    UpdateCheckConfig config = Config(Port("VANTREL_TEST_HANG_PORT"), L"/newer");
    config.ReceiveTimeoutMs = 8000;
    ASSERT_TRUE(hanging.Start(config, [&](const UpdateOutcome& o) {
      std::lock_guard guard(m);
      received = o;
      ++calls;
    }));
    EXPECT_FALSE(hanging.Start(Config(http_, L"/same"), nullptr));
    Sleep(300);  // the worker is now waiting for the answer inside WinInet
    EXPECT_TRUE(hanging.Active());
    const auto start = Clock::now();
    hanging.Abort();
    EXPECT_TRUE(hanging.WaitIdle(1000));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    printf("abort to idle, server never answering: %lld ms\n", static_cast<long long>(elapsed));
  }
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(received.Verdict, UpdateVerdict::Error);
  EXPECT_EQ(received.DownloadError, kAborted);
}

TEST_F(UpdateExchange, AnOwnerThatGoesMidCheckIsNeverCalledBackAfterwards) {
  auto calls = std::make_shared<std::atomic<int>>(0);
  const auto start = Clock::now();
  {
    UpdateCheck owner;
    UpdateCheckConfig config = Config(http_, L"/trickle");
    config.DeadlineMs = 2000;
    ASSERT_TRUE(owner.Start(config, [calls](const UpdateOutcome&) { ++*calls; }));
    Sleep(300);  // inside the exchange: the server sends a byte every 4 s
  }
  const int atDestruction = calls->load();
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_LT(left, 300 + UpdateCheck::kLeaveWaitMs + 1000);  // the owner waited a moment only
  // Past the check's deadline and the server's next byte: nothing more arrives.
  Sleep(2000 + 4000 + 500);
  EXPECT_EQ(calls->load(), atDestruction);
  EXPECT_LE(atDestruction, 1);
}

TEST(UpdateAddress, EnvironmentOverridesTheBuiltInPageUnlessElevated) {
  wchar_t saved[2048] = {};
  const bool had = GetEnvironmentVariableW(kUpdateUrlVariable, saved, 2048) > 0;
  SetEnvironmentVariableW(kUpdateUrlVariable, nullptr);
  EXPECT_EQ(UpdatePageAddress(false), kUpdatePageUrl);
  SetEnvironmentVariableW(kUpdateUrlVariable, L"127.0.0.1:8000/u.html");
  EXPECT_EQ(UpdatePageAddress(false), L"http://127.0.0.1:8000/u.html");
  EXPECT_EQ(UpdatePageAddress(true), kUpdatePageUrl) << "an elevated start ignores it";
  // Only the machine-wide value, which administrators alone can write, reaches an elevated start.
  const wchar_t machine[] = L"127.0.0.1:9000/m.html";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, kUpdateUrlVariable, REG_SZ, machine,
                            sizeof(machine)),
            ERROR_SUCCESS);
  EXPECT_EQ(UpdatePageAddress(true), L"http://127.0.0.1:9000/m.html");
  EXPECT_EQ(UpdatePageAddress(false), L"http://127.0.0.1:8000/u.html");
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, kUpdateUrlVariable);
  SetEnvironmentVariableW(kUpdateUrlVariable, L"");
  EXPECT_EQ(UpdatePageAddress(false), kUpdatePageUrl);
  SetEnvironmentVariableW(kUpdateUrlVariable, had ? saved : nullptr);
}

}  // namespace
}  // namespace vantrel::update
