#include "core/power/power_actions.h"

namespace vantrel::power {
namespace {

constexpr TPowerMenuEntry kMenu[] = {
    {L"切换用户", ptSwitchUser}, {L"注销", ptLogOff}, {L"锁定", ptLock}, {L"", -1}, {L"重新启动", ptRestart},
    {L"", -1}, {L"睡眠", ptSleep}, {L"休眠", ptHibernate}, {L"", -1}, {L"关闭电源", ptPowerOff},
};

TPowerOutcome Requested(bool succeeded, IPowerPlatform& platform) {
  return {TPowerOutcome::Kind::Requested, succeeded, succeeded ? 0u : platform.LastError()};
}

TPowerOutcome Suspend(bool hibernate, IPowerPlatform& platform, IPowerPrompts& prompts) {
  // Without the power-management binding the action counts as not allowed; nothing is called through it.
  const bool allowed = platform.HasPowerManagement() &&
                       (hibernate ? platform.IsPwrHibernateAllowed() : platform.IsPwrSuspendAllowed());
  if (!allowed) {
    prompts.Warning(std::wstring(kSleepNotSupported));  // hibernate too shows the sleep text
    return {TPowerOutcome::Kind::NotSupported};
  }
  return Requested(platform.SetSuspendState(hibernate, false, false), platform);
}

}  // namespace

std::span<const TPowerMenuEntry> ShutdownMenu() { return kMenu; }

std::wstring ShutdownConfirmText(std::wstring_view hint) { return L"难道你真的想 " + std::wstring(hint) + L"?"; }

bool ExitWindowsWithPrivilege(uint32_t flags, IPowerPlatform& platform) {
  if (platform.IsNT()) platform.EnableShutdownPrivilege();
  return platform.ExitWindowsEx(flags);
}

TPowerOutcome cmShutdown(int tag, std::wstring_view hint, IPowerPlatform& platform, IPowerPrompts& prompts) {
  if (!prompts.Confirm(ShutdownConfirmText(hint))) return {TPowerOutcome::Kind::Declined};
  switch (tag) {
    case ptSwitchUser:
      if (platform.WTSAvailable()) return Requested(platform.WTSDisconnectSession(), platform);
      return Requested(platform.RunLockWorkStationCommand(), platform);
    case ptLogOff:
      if (platform.WTSAvailable()) return Requested(platform.WTSLogoffSession(), platform);
      return Requested(ExitWindowsWithPrivilege(EWX_LOGOFF_FLAG, platform), platform);
    case ptLock:
      if (!platform.HasLockWorkStation()) return {TPowerOutcome::Kind::Nothing};
      return Requested(platform.LockWorkStation(), platform);
    case ptRestart:
      return Requested(ExitWindowsWithPrivilege(EWX_REBOOT_FLAG, platform), platform);
    case ptSleep:
      return Suspend(false, platform, prompts);
    case ptHibernate:
      return Suspend(true, platform, prompts);
    case ptPowerOff:
      return Requested(ExitWindowsWithPrivilege(EWX_POWEROFF_FLAG, platform), platform);
    default:
      return {TPowerOutcome::Kind::Nothing};
  }
}

}  // namespace vantrel::power
