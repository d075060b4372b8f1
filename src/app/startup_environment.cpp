// The system facts the start-up sequence reads, from the system access layer.
#include <windows.h>
#include <wtsapi32.h>

#include "app/main_window.h"

namespace vantrel::app {

StartupEnvironment StartupEnvironment::Default() {
  StartupEnvironment env;
  env.isRemoteSession = [] { return ::GetSystemMetrics(SM_REMOTESESSION) != 0; };
  env.elevationButtonVisible = [] { return false; };
  env.registerSessionNotification = [](HWND hwnd) {
    return ::WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_ALL_SESSIONS) != FALSE;
  };
  env.unregisterSessionNotification = [](HWND hwnd) { return ::WTSUnRegisterSessionNotification(hwnd) != FALSE; };
  return env;
}

}  // namespace vantrel::app
