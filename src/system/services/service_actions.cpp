#include "system/services/service_actions.h"

#include <shellapi.h>

#include "core/services/service_record.h"
#include "system/os/file_version.h"
#include "system/raii.h"
#include "system/services/sc_handle.h"

namespace vantrel {

namespace {

using win::UniqueScHandle;

ServiceOutcome Failed(DWORD error) { return ServiceOutcome{false, error}; }
ServiceOutcome FailedNow() { return Failed(::GetLastError()); }

// The manager and the service, each opened with what the action needs; the error of the open that failed.
struct OpenedService {
  UniqueScHandle manager, service;
  DWORD error = 0;
};

OpenedService Open(const std::wstring& name, DWORD access) {
  OpenedService o;
  o.manager.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!o.manager) {
    o.error = ::GetLastError();
    return o;
  }
  o.service.reset(::OpenServiceW(o.manager.get(), name.c_str(), access));
  if (!o.service) o.error = ::GetLastError();
  return o;
}

ServiceOutcome Control(SC_HANDLE service, DWORD control) {
  SERVICE_STATUS status{};
  if (!::ControlService(service, control, &status)) return FailedNow();
  return ServiceOutcome{true, 0};
}

DWORD RefusalFor(DWORD state, DWORD whenStopped, DWORD whenRunning) {
  if (state == SERVICE_STOPPED) return whenStopped;
  if (state == SERVICE_RUNNING) return whenRunning;
  return ERROR_INVALID_SERVICE_CONTROL;
}

}  // namespace

ServiceOutcome StartOrContinueService(const std::wstring& name) {
  OpenedService o = Open(name, SERVICE_START | SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS);
  if (!o.service) return Failed(o.error);
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(o.service.get(), &status)) return FailedNow();
  if (status.dwCurrentState == SERVICE_STOPPED) {
    if (!::StartServiceW(o.service.get(), 0, nullptr)) return FailedNow();
    return ServiceOutcome{true, 0};
  }
  if (status.dwCurrentState == SERVICE_PAUSED) return Control(o.service.get(), SERVICE_CONTROL_CONTINUE);
  return Failed(RefusalFor(status.dwCurrentState, ERROR_INVALID_SERVICE_CONTROL, ERROR_SERVICE_ALREADY_RUNNING));
}

ServiceOutcome StopService(const std::wstring& name) {
  OpenedService o = Open(name, SERVICE_STOP | SERVICE_QUERY_STATUS);
  if (!o.service) return Failed(o.error);
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(o.service.get(), &status)) return FailedNow();
  if (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_PAUSED)
    return Control(o.service.get(), SERVICE_CONTROL_STOP);
  return Failed(RefusalFor(status.dwCurrentState, ERROR_SERVICE_NOT_ACTIVE, ERROR_INVALID_SERVICE_CONTROL));
}

ServiceOutcome PauseService(const std::wstring& name) {
  OpenedService o = Open(name, SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS);
  if (!o.service) return Failed(o.error);
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(o.service.get(), &status)) return FailedNow();
  if (status.dwCurrentState == SERVICE_RUNNING) return Control(o.service.get(), SERVICE_CONTROL_PAUSE);
  return Failed(RefusalFor(status.dwCurrentState, ERROR_SERVICE_NOT_ACTIVE, ERROR_INVALID_SERVICE_CONTROL));
}

ServiceOutcome UninstallService(const std::wstring& name) {
  OpenedService o = Open(name, DELETE);
  if (!o.service) return Failed(o.error);
  if (!::DeleteService(o.service.get())) return FailedNow();
  return ServiceOutcome{true, 0};
}

int32_t QueryServiceState(const std::wstring& name) {
  OpenedService o = Open(name, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  if (!o.service || !::QueryServiceStatus(o.service.get(), &status)) return 0;
  return static_cast<int32_t>(status.dwCurrentState);
}

int32_t WaitForServiceState(const std::wstring& name, int32_t wanted, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  int32_t state = QueryServiceState(name);
  while (state != wanted && ::GetTickCount64() < deadline) {
    ::Sleep(20);
    state = QueryServiceState(name);
  }
  return state;
}

bool OpenServicesConsole(const ShellExecuteCall& execute) {
  const std::wstring console = GetSysDir() + L"\\services.msc";
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = console.c_str();
  info.nShow = SW_SHOWDEFAULT;
  const bool started = execute ? execute(info) : ::ShellExecuteExW(&info) != FALSE;
  win::UniqueHandle process(info.hProcess);  // none when the shell handed the file to a running program
  if (started && process) ::WaitForSingleObject(process.get(), 2000);
  return started;
}

}  // namespace vantrel
