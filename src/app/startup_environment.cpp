// The system facts the start-up sequence reads, from the system access layer.
#include "app/startup_environment.h"

#include "core/os/os_naming.h"
#include "core/shell/startup_rules.h"
#include "system/os/accounts.h"
#include "system/os/network.h"
#include "system/os/system_facts.h"
#include "system/os/wts_api.h"
#include "system/power/power_platform.h"
#include "system/process/process_actions.h"
#include "system/update/web_update.h"

namespace vantrel::app {

StartupEnvironment StartupEnvironment::Default() {
  StartupEnvironment env;
  env.isRemoteSession = [] { return IsRemoteSession(); };
  env.elevationButtonVisible = [] {
    return ElevationButtonVisible(SystemFacts().OS < OsKind::Vista, IsAdmin(), IsElevated());
  };
  env.registerSessionNotification = [](HWND hwnd) { return RegisterSessionNotifications(WtsApi(), hwnd); };
  env.unregisterSessionNotification = [](HWND hwnd) {
    UnregisterSessionNotifications(WtsApi(), hwnd);
    return true;
  };
  env.enableDebugPrivilege = [] { return AdjustDebugPrivilege(); };
  env.osCaption = [] { return SystemFacts().OSCaption; };
  env.sessionLabel = [] { return SessionLabel(); };
  env.systemFactLines = [] {
    const std::wstring build = L"内部版本号: " + std::to_wstring(SystemFacts().OSVersionInfo.dwBuildNumber);
    return std::array<std::wstring, 2>{LoggedUserLine(), build};
  };
  env.ipAddressLine = [] { return IpAddressLine(); };
  env.macAddressLine = [] { return MacAddressLine(); };
  env.programVersion = [] {
    const VersionInfo& vi = SystemFacts().ExeVersionInfo;
    return std::make_pair(vi.FileVersion, vi.Copyright);
  };
  env.updatePageAddress = [] { return update::UpdatePageAddress(IsElevated()); };
  env.openProductPage = [](HWND owner, const std::wstring& url) {
    ::ShellExecuteW(owner, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  };
  env.startElevatedCopy = [](HWND owner, const std::wstring& program) { return RunAsAdmin(owner, program, L""); };
  env.powerPlatform = [](HWND owner) -> std::unique_ptr<power::IPowerPlatform> {
    return std::make_unique<power::SystemPowerPlatform>(WtsApi(), owner);
  };
  return env;
}

}  // namespace vantrel::app
