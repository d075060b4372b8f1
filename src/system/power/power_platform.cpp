#include "system/power/power_platform.h"

#include <shellapi.h>

#include "system/os/proc_address.h"
#include "system/os/system_facts.h"

namespace vantrel::power {

BOOL(WINAPI* SystemPowerPlatform::DefaultLockWorkStation())() { return SystemEntryPoints().LockWorkStation; }

SystemPowerPlatform::SystemPowerPlatform(IWtsApi& wts, HWND owner, const wchar_t* powerLibrary,
                                         BOOL(WINAPI* lockWorkStation)())
    : wts_(wts),
      owner_(owner),
      power_(::LoadLibraryExW(powerLibrary, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)),
      lockWorkStation_(lockWorkStation) {
  using Check = BOOLEAN(WINAPI*)();
  isSuspendAllowed_ = ProcAddress<Check>(power_.get(), "IsPwrSuspendAllowed");
  isHibernateAllowed_ = ProcAddress<Check>(power_.get(), "IsPwrHibernateAllowed");
  setSuspendState_ = ProcAddress<BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN)>(power_.get(), "SetSuspendState");
}

bool SystemPowerPlatform::Result(BOOL ok) {
  lastError_ = ok ? 0 : ::GetLastError();
  return ok != FALSE;
}

bool SystemPowerPlatform::WTSAvailable() { return wts_.WTSAvailable(); }

bool SystemPowerPlatform::WTSDisconnectSession() {
  return Result(wts_.WTSDisconnectSession(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, FALSE));
}

bool SystemPowerPlatform::WTSLogoffSession() {
  return Result(wts_.WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, FALSE));
}

bool SystemPowerPlatform::LockWorkStation() { return lockWorkStation_ && Result(lockWorkStation_()); }

bool SystemPowerPlatform::RunLockWorkStationCommand() {
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(owner_, nullptr, L"rundll32.exe", L"user32.dll,LockWorkStation", nullptr, SW_SHOWDEFAULT));
  lastError_ = result > 32 ? 0 : static_cast<uint32_t>(result);
  return result > 32;
}

bool SystemPowerPlatform::IsPwrSuspendAllowed() { return isSuspendAllowed_ && isSuspendAllowed_(); }
bool SystemPowerPlatform::IsPwrHibernateAllowed() { return isHibernateAllowed_ && isHibernateAllowed_(); }

bool SystemPowerPlatform::SetSuspendState(bool hibernate, bool force, bool wakeEventsDisabled) {
  return setSuspendState_ && Result(setSuspendState_(hibernate, force, wakeEventsDisabled));
}

bool SystemPowerPlatform::IsNT() { return SystemFacts().IsNT; }

bool SystemPowerPlatform::EnableShutdownPrivilege() {
  win::UniqueHandle token;
  if (!Result(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())))
    return false;
  TOKEN_PRIVILEGES privileges{1};
  if (!Result(::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))) return false;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!Result(::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr))) return false;
  // Success can still mean "not all assigned".
  return Result(::GetLastError() == ERROR_SUCCESS);
}

bool SystemPowerPlatform::ExitWindowsEx(uint32_t flags) { return Result(::ExitWindowsEx(flags, 0)); }

}  // namespace vantrel::power
