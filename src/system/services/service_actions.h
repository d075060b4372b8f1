// Actions on one service, each on the service's name as the user confirmed it. Each opens and closes its own
// handles and may block while the manager works, so a page runs it off the window thread.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace vantrel {

struct ServiceOutcome {
  bool Ok = false;
  DWORD Error = 0;  // the error of the call that failed, or the refusal's code when the state did not allow it
};

// A stopped service is started, a paused one continued; other states are refused (already running:
// ERROR_SERVICE_ALREADY_RUNNING; pending: ERROR_INVALID_SERVICE_CONTROL).
ServiceOutcome StartOrContinueService(const std::wstring& name);
// A running or paused service is sent the stop control; stopped: ERROR_SERVICE_NOT_ACTIVE; pending:
// ERROR_INVALID_SERVICE_CONTROL.
ServiceOutcome StopService(const std::wstring& name);
// A running service is sent the pause control; stopped: ERROR_SERVICE_NOT_ACTIVE; otherwise
// ERROR_INVALID_SERVICE_CONTROL. A service that does not accept pausing fails with the manager's own error.
ServiceOutcome PauseService(const std::wstring& name);
// Marks the service for deletion.
ServiceOutcome UninstallService(const std::wstring& name);

// The service's current state (1 stopped .. 7 paused), or 0 when it cannot be read.
int32_t QueryServiceState(const std::wstring& name);
// Polls the state until it equals wanted or timeoutMs passed; the last state read.
int32_t WaitForServiceState(const std::wstring& name, int32_t wanted, DWORD timeoutMs);

// The services console: services.msc of the system directory opened through the shell, which asks for elevation
// as the console requires (starting mmc.exe directly fails with 740 for an administrator not elevated). Waits up
// to 2 s for the started program: run it on a worker. False when it cannot start. `execute` is the shell's call
// (tests replace it); the process handle it leaves in the record is closed here.
using ShellExecuteCall = std::function<bool(SHELLEXECUTEINFOW& info)>;
bool OpenServicesConsole(const ShellExecuteCall& execute = {});

}  // namespace vantrel
