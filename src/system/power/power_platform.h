// The real system calls behind the power actions. Never exercised for the calls that end the session or the
// machine in tests: under Wine they end the whole prefix.
#pragma once

#include <windows.h>

#include "core/power/power_actions.h"
#include "system/os/wts_api.h"
#include "system/raii.h"

namespace vantrel::power {

class SystemPowerPlatform final : public IPowerPlatform {
 public:
  // owner: the window that owns the shell's run of rundll32. powerLibrary and lockWorkStation are parameters so
  // that tests can bind against what does not exist; by default powrprof.dll and the start-up entry point.
  SystemPowerPlatform(IWtsApi& wts, HWND owner, const wchar_t* powerLibrary = L"powrprof.dll",
                      BOOL(WINAPI* lockWorkStation)() = DefaultLockWorkStation());
  SystemPowerPlatform(const SystemPowerPlatform&) = delete;
  SystemPowerPlatform& operator=(const SystemPowerPlatform&) = delete;

  bool WTSAvailable() override;
  bool WTSDisconnectSession() override;
  bool WTSLogoffSession() override;
  bool HasLockWorkStation() override { return lockWorkStation_ != nullptr; }
  bool LockWorkStation() override;
  bool RunLockWorkStationCommand() override;
  bool HasPowerManagement() override { return isSuspendAllowed_ && isHibernateAllowed_ && setSuspendState_; }
  bool IsPwrSuspendAllowed() override;
  bool IsPwrHibernateAllowed() override;
  bool SetSuspendState(bool hibernate, bool force, bool wakeEventsDisabled) override;
  bool IsNT() override;
  bool EnableShutdownPrivilege() override;
  bool ExitWindowsEx(uint32_t flags) override;
  uint32_t LastError() override { return lastError_; }

  static BOOL(WINAPI* DefaultLockWorkStation())();

 private:
  bool Result(BOOL ok);

  IWtsApi& wts_;
  HWND owner_;
  win::UniqueModule power_;
  BOOLEAN(WINAPI* isSuspendAllowed_)() = nullptr;
  BOOLEAN(WINAPI* isHibernateAllowed_)() = nullptr;
  BOOLEAN(WINAPI* setSuspendState_)(BOOLEAN, BOOLEAN, BOOLEAN) = nullptr;
  BOOL(WINAPI* lockWorkStation_)() = nullptr;
  uint32_t lastError_ = 0;
};

}  // namespace vantrel::power
