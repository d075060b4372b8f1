// A minimal service for the service tests: it runs until stopped and accepts pause and continue.
#include <windows.h>

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;
SERVICE_STATUS g_state{};

void Report(DWORD state) {
  g_state.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_state.dwCurrentState = state;
  g_state.dwControlsAccepted =
      state == SERVICE_START_PENDING ? 0 : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
  g_state.dwWin32ExitCode = NO_ERROR;
  g_state.dwWaitHint = 2000;
  ::SetServiceStatus(g_status, &g_state);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
      Report(SERVICE_STOP_PENDING);
      ::SetEvent(g_stop);
      return NO_ERROR;
    case SERVICE_CONTROL_PAUSE: Report(SERVICE_PAUSED); return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE: Report(SERVICE_RUNNING); return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: ::SetServiceStatus(g_status, &g_state); return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD argc, LPWSTR* argv) {
  g_status = ::RegisterServiceCtrlHandlerExW(argc > 0 ? argv[0] : L"", Handler, nullptr);
  if (!g_status) return;
  g_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Report(SERVICE_START_PENDING);
  Report(SERVICE_RUNNING);
  // Bounded, so that a forgotten service never outlives the test run by much.
  ::WaitForSingleObject(g_stop, 10 * 60 * 1000);
  Report(SERVICE_STOPPED);
}

}  // namespace

int wmain() {
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<LPWSTR>(L""), ServiceMain}, {nullptr, nullptr}};
  return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
