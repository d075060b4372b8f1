#include "core/power/power_actions.h"

namespace vantrel::power {
namespace {

constexpr PowerMenuEntry kMenu[] = {
    {L"切换用户", Index(PowerAction::SwitchUser)},
    {L"注销", Index(PowerAction::LogOff)},
    {L"锁定", Index(PowerAction::Lock)},
    {L"", -1},
    {L"重新启动", Index(PowerAction::Restart)},
    {L"", -1},
    {L"睡眠", Index(PowerAction::Sleep)},
    {L"休眠", Index(PowerAction::Hibernate)},
    {L"", -1},
    {L"关闭电源", Index(PowerAction::PowerOff)},
};

PowerOutcome Requested(bool succeeded, IPowerPlatform& platform) {
  return {PowerOutcome::Kind::Requested, succeeded, succeeded ? 0u : platform.LastError()};
}

PowerOutcome Suspend(bool hibernate, IPowerPlatform& platform, IPowerPrompts& prompts) {
  // Without the power-management binding the action counts as not allowed; nothing is called through it.
  const bool allowed =
      platform.HasPowerManagement() && (hibernate ? platform.IsPwrHibernateAllowed() : platform.IsPwrSuspendAllowed());
  if (!allowed) {
    prompts.Warning(std::wstring(kSleepNotSupported));  // hibernate too shows the sleep text
    return {PowerOutcome::Kind::NotSupported};
  }
  return Requested(platform.SetSuspendState(hibernate, false, false), platform);
}

}  // namespace

std::span<const PowerMenuEntry> ShutdownMenu() { return kMenu; }

std::wstring ShutdownConfirmText(std::wstring_view hint) { return L"难道你真的想 " + std::wstring(hint) + L"?"; }

bool ExitWindowsWithPrivilege(uint32_t flags, IPowerPlatform& platform) {
  if (platform.IsNT()) platform.EnableShutdownPrivilege();
  return platform.ExitWindowsEx(flags);
}

PowerOutcome RunPowerAction(int tag, std::wstring_view hint, IPowerPlatform& platform, IPowerPrompts& prompts) {
  if (!prompts.Confirm(ShutdownConfirmText(hint))) return {PowerOutcome::Kind::Declined};
  switch (tag) {
    case Index(PowerAction::SwitchUser):
      if (platform.WTSAvailable()) return Requested(platform.WTSDisconnectSession(), platform);
      return Requested(platform.RunLockWorkStationCommand(), platform);
    case Index(PowerAction::LogOff):
      if (platform.WTSAvailable()) return Requested(platform.WTSLogoffSession(), platform);
      return Requested(ExitWindowsWithPrivilege(EWX_LOGOFF_FLAG, platform), platform);
    case Index(PowerAction::Lock):
      if (!platform.HasLockWorkStation()) return {PowerOutcome::Kind::Nothing};
      return Requested(platform.LockWorkStation(), platform);
    case Index(PowerAction::Restart): return Requested(ExitWindowsWithPrivilege(EWX_REBOOT_FLAG, platform), platform);
    case Index(PowerAction::Sleep): return Suspend(false, platform, prompts);
    case Index(PowerAction::Hibernate): return Suspend(true, platform, prompts);
    case Index(PowerAction::PowerOff):
      return Requested(ExitWindowsWithPrivilege(EWX_POWEROFF_FLAG, platform), platform);
    default: return {PowerOutcome::Kind::Nothing};
  }
}

}  // namespace vantrel::power
