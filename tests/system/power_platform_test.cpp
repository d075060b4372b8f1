// The power actions' real platform, limited to the calls that cannot end the session or the machine: the
// bindings, the privilege, and the fall-backs taken when an entry point is missing.
#include "system/power/power_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::power {
namespace {

struct Prompts : IPowerPrompts {
  std::vector<std::wstring> boxes;
  bool Confirm(const std::wstring& text) override {
    boxes.push_back(text);
    return true;
  }
  void Warning(const std::wstring& text) override { boxes.push_back(text); }
};

TEST(PowerPlatform, BindsPowerManagementAndEnablesTheShutdownPrivilege) {
  WtsBinding wts;
  SystemPowerPlatform platform(wts, nullptr);
  EXPECT_TRUE(platform.HasPowerManagement());
  EXPECT_TRUE(platform.IsNT());
  EXPECT_TRUE(platform.EnableShutdownPrivilege()) << platform.LastError();
  (void)platform.IsPwrSuspendAllowed();  // callable: the binding is real
}

TEST(PowerPlatform, MissingEntryPointsGiveTheFallBacks) {
  WtsBinding wts;
  SystemPowerPlatform platform(wts, nullptr, L"no-such-powrprof.dll", nullptr);
  EXPECT_FALSE(platform.HasPowerManagement());
  EXPECT_FALSE(platform.IsPwrSuspendAllowed());
  EXPECT_FALSE(platform.SetSuspendState(false, false, false));
  EXPECT_FALSE(platform.HasLockWorkStation());

  for (int tag : {Index(PowerAction::Sleep), Index(PowerAction::Hibernate)}) {
    Prompts prompts;
    EXPECT_EQ(RunPowerAction(tag, L"休眠", platform, prompts).Result, PowerOutcome::Kind::NotSupported);
    EXPECT_EQ(prompts.boxes, (std::vector<std::wstring>{L"难道你真的想 休眠?", L"此系统上不支持睡眠。"}));
  }
  Prompts prompts;
  EXPECT_EQ(RunPowerAction(Index(PowerAction::Lock), L"锁定", platform, prompts).Result, PowerOutcome::Kind::Nothing);
  EXPECT_EQ(prompts.boxes, (std::vector<std::wstring>{L"难道你真的想 锁定?"}));
}

}  // namespace
}  // namespace vantrel::power
