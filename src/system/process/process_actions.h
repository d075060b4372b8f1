// Ending processes: ask their windows to close, give them time, then end them by force.
#pragma once

#include "core/base/enum_index.h"
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

class IWtsApi;

// Result of an attempt: failed, ended after being asked to close, or terminated by force.
enum class TerminateResult : int { Failed = 0, Closed = 1, Terminated = 2 };

// A process as the user confirmed it: its PID and creation time (so that a reused PID is never hit) and its name.
struct ProcessTarget {
  uint32_t PID = 0;
  uint64_t CreateTime = 0;  // 100-ns file time; 0 when unknown (then not checked)
  std::wstring Name;
  bool Critical = false;           // the list showed it as critical: the user is asked a second time
  bool CriticalConfirmed = false;  // the user said yes to ending it although the system stops with it
};

struct TerminateOutcome {
  TerminateResult Result = TerminateResult::Failed;
  DWORD Error = 0;  // the error of the call that failed, when Result is TerminateResult::Failed
};

// One process; a negative timeout terminates at once without asking. It waits, as the list version does.
TerminateOutcome CloseOrTerminateProcess(const ProcessTarget& target, int timeoutMs);

// Several processes with one budget: WM_CLOSE is posted to all their top-level windows, the processes without any
// are terminated at once, the others are waited for together for at most timeoutMs, then the survivors are
// terminated in the given order. It waits: call it on a worker, never on the window thread. The program itself and PIDs
// below 10 are never touched (their outcome is a failure with ERROR_ACCESS_DENIED), nor is a critical process that was
// not confirmed as such (its flag read through the handle opened to end it). A process that cannot be opened is
// ended through terminal services (wts) only when the process list confirms its creation time.
std::vector<TerminateOutcome> CloseOrTerminateProcesses(const std::vector<ProcessTarget>& targets, int timeoutMs);
std::vector<TerminateOutcome> CloseOrTerminateProcesses(const std::vector<ProcessTarget>& targets, int timeoutMs,
                                                        IWtsApi& wts);

// ShellExecuteExW with the verb "runas"; false when it failed or the user declined.
bool RunAsAdmin(HWND owner, const std::wstring& fileName, const std::wstring& parameters);

}  // namespace vantrel
