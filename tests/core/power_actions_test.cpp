#include "core/power/power_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::power {
namespace {

// Records every system call and box; answers from its settings.
struct RecordingPlatform : IPowerPlatform, IPowerPrompts {
  bool wts = true, lock = true, power = true, suspendAllowed = true, hibernateAllowed = true, nt = true;
  bool answer = true, callsSucceed = true;
  std::vector<std::string> calls;
  std::vector<std::wstring> boxes;

  bool Call(const std::string& name) {
    calls.push_back(name);
    return callsSucceed;
  }
  bool WTSAvailable() override { return wts; }
  bool WTSDisconnectSession() override { return Call("WTSDisconnectSession"); }
  bool WTSLogoffSession() override { return Call("WTSLogoffSession"); }
  bool HasLockWorkStation() override { return lock; }
  bool LockWorkStation() override { return Call("LockWorkStation"); }
  bool RunLockWorkStationCommand() override { return Call("rundll32 user32.dll,LockWorkStation"); }
  bool HasPowerManagement() override { return power; }
  bool IsPwrSuspendAllowed() override {
    calls.push_back("IsPwrSuspendAllowed");
    return suspendAllowed;
  }
  bool IsPwrHibernateAllowed() override {
    calls.push_back("IsPwrHibernateAllowed");
    return hibernateAllowed;
  }
  bool SetSuspendState(bool hibernate, bool force, bool wake) override {
    return Call("SetSuspendState(" + std::to_string(hibernate) + std::to_string(force) + std::to_string(wake) + ")");
  }
  bool IsNT() override { return nt; }
  bool EnableShutdownPrivilege() override { return Call("EnableShutdownPrivilege"); }
  bool ExitWindowsEx(uint32_t flags) override { return Call("ExitWindowsEx(" + std::to_string(flags) + ")"); }
  uint32_t LastError() override { return 1314; }
  bool Confirm(const std::wstring& text) override {
    boxes.push_back(L"confirm:" + text);
    return answer;
  }
  void Warning(const std::wstring& text) override { boxes.push_back(L"warning:" + text); }
};

using Calls = std::vector<std::string>;
using Kind = PowerOutcome::Kind;

TEST(PowerActions, MenuOrderAndCaptions) {
  std::vector<std::wstring> captions;
  std::vector<int> tags;
  for (const PowerMenuEntry& e : ShutdownMenu()) {
    captions.emplace_back(e.Caption);
    tags.push_back(e.Tag);
  }
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"切换用户", L"注销", L"锁定", L"", L"重新启动", L"", L"睡眠",
                                                 L"休眠", L"", L"关闭电源"}));
  EXPECT_EQ(tags, (std::vector<int>{0, 1, 2, -1, 3, -1, 4, 5, -1, 6}));
}

TEST(PowerActions, EachActionsCallsInOrder) {
  struct Case {
    const char* name;
    int tag;
    void (*setup)(RecordingPlatform&);
    Calls calls;
    Kind kind;
    const wchar_t* warning;
  } cases[] = {
      {"switch user", Index(PowerAction::SwitchUser), [](RecordingPlatform&) {}, {"WTSDisconnectSession"}, Kind::Requested, nullptr},
      {"switch user without terminal services", Index(PowerAction::SwitchUser), [](RecordingPlatform& p) { p.wts = false; },
       {"rundll32 user32.dll,LockWorkStation"}, Kind::Requested, nullptr},
      {"log off", Index(PowerAction::LogOff), [](RecordingPlatform&) {}, {"WTSLogoffSession"}, Kind::Requested, nullptr},
      {"log off without terminal services", Index(PowerAction::LogOff), [](RecordingPlatform& p) { p.wts = false; },
       {"EnableShutdownPrivilege", "ExitWindowsEx(0)"}, Kind::Requested, nullptr},
      {"lock", Index(PowerAction::Lock), [](RecordingPlatform&) {}, {"LockWorkStation"}, Kind::Requested, nullptr},
      {"lock without LockWorkStation", Index(PowerAction::Lock), [](RecordingPlatform& p) { p.lock = false; }, {}, Kind::Nothing,
       nullptr},
      {"restart", Index(PowerAction::Restart), [](RecordingPlatform&) {}, {"EnableShutdownPrivilege", "ExitWindowsEx(2)"},
       Kind::Requested, nullptr},
      {"restart, not NT", Index(PowerAction::Restart), [](RecordingPlatform& p) { p.nt = false; }, {"ExitWindowsEx(2)"},
       Kind::Requested, nullptr},
      {"sleep", Index(PowerAction::Sleep), [](RecordingPlatform&) {}, {"IsPwrSuspendAllowed", "SetSuspendState(000)"},
       Kind::Requested, nullptr},
      {"sleep not allowed", Index(PowerAction::Sleep), [](RecordingPlatform& p) { p.suspendAllowed = false; },
       {"IsPwrSuspendAllowed"}, Kind::NotSupported, L"此系统上不支持睡眠。"},
      {"sleep without the power binding", Index(PowerAction::Sleep), [](RecordingPlatform& p) { p.power = false; }, {},
       Kind::NotSupported, L"此系统上不支持睡眠。"},
      {"hibernate", Index(PowerAction::Hibernate), [](RecordingPlatform&) {}, {"IsPwrHibernateAllowed", "SetSuspendState(100)"},
       Kind::Requested, nullptr},
      {"hibernate not allowed shows the sleep text", Index(PowerAction::Hibernate),
       [](RecordingPlatform& p) { p.hibernateAllowed = false; }, {"IsPwrHibernateAllowed"}, Kind::NotSupported,
       L"此系统上不支持睡眠。"},
      {"power off", Index(PowerAction::PowerOff), [](RecordingPlatform&) {}, {"EnableShutdownPrivilege", "ExitWindowsEx(8)"},
       Kind::Requested, nullptr},
      {"unknown tag", 7, [](RecordingPlatform&) {}, {}, Kind::Nothing, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingPlatform platform;
    c.setup(platform);
    const PowerOutcome outcome = RunPowerAction(c.tag, L"睡眠", platform, platform);
    EXPECT_EQ(platform.calls, c.calls);
    EXPECT_EQ(outcome.Result, c.kind);
    ASSERT_GE(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0], L"confirm:难道你真的想 睡眠?");
    if (c.warning) {
      EXPECT_EQ(platform.boxes, (std::vector<std::wstring>{platform.boxes[0], std::wstring(L"warning:") + c.warning}));
    } else {
      EXPECT_EQ(platform.boxes.size(), 1u);
    }
  }
}

TEST(PowerActions, NoDoesNothingAndFailuresCarryTheError) {
  for (int tag = Index(PowerAction::SwitchUser); tag <= Index(PowerAction::PowerOff); ++tag) {
    RecordingPlatform platform;
    platform.answer = false;
    EXPECT_EQ(RunPowerAction(tag, L"注销", platform, platform).Result, Kind::Declined);
    EXPECT_TRUE(platform.calls.empty()) << tag;
  }
  RecordingPlatform platform;
  platform.callsSucceed = false;  // the privilege cannot be enabled: the request is still made
  const PowerOutcome outcome = RunPowerAction(Index(PowerAction::PowerOff), L"关闭电源", platform, platform);
  EXPECT_EQ(platform.calls, (Calls{"EnableShutdownPrivilege", "ExitWindowsEx(8)"}));
  EXPECT_FALSE(outcome.Succeeded);
  EXPECT_EQ(outcome.Error, 1314u);
}

}  // namespace
}  // namespace vantrel::power
