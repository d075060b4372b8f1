#include "system/process/process_actions.h"

#include <shellapi.h>

#include <algorithm>
#include <unordered_set>

#include "core/process/process_rules.h"
#include "system/os/wts_api.h"
#include "system/process/critical_process.h"
#include "system/process/process_list.h"
#include "system/process/process_snapshot.h"
#include "system/raii.h"

namespace vantrel {
namespace {

struct Opened {
  win::UniqueHandle handle;
  bool protectedTarget = false;  // the program itself or PIDs below 10
  TerminateOutcome outcome;
  bool done = false;
};

// Processes of other sessions may still be ended through terminal services; only the confirmed one, never a
// process that took over its PID.
TerminateOutcome EndThroughTerminalServices(const ProcessTarget& target, DWORD openError, IWtsApi& wts) {
  if (!ProcessListedWithCreateTime(target.PID, target.CreateTime)) return {TerminateResult::Failed, openError};
  if (wts.WTSTerminateProcess(WTS_CURRENT_SERVER_HANDLE, target.PID, 0)) return {TerminateResult::Terminated, 0};
  const DWORD wtsError = ::GetLastError();
  return {TerminateResult::Failed, wtsError ? wtsError : openError};
}

// Opens a target for termination, checking that the PID still names the confirmed process.
void Open(const ProcessTarget& target, Opened& o, IWtsApi& wts) {
  if (ProcessMayNeverBeEnded(target.PID, ::GetCurrentProcessId())) {
    o.protectedTarget = true;
    o.outcome = {TerminateResult::Failed, ERROR_ACCESS_DENIED};
    o.done = true;
    return;
  }
  // Full query rights read the critical flag everywhere; the limited ones suffice on newer systems.
  o.handle.reset(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, target.PID));
  if (!o.handle)
    o.handle.reset(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target.PID));
  if (!o.handle) {
    o.outcome = EndThroughTerminalServices(target, ::GetLastError(), wts);
    o.done = true;
    return;
  }
  // Read again here: the list's flag may be older than the process now behind the handle.
  if (!target.CriticalConfirmed && IsCriticalProcess(o.handle.get())) {
    o.outcome = {TerminateResult::Failed, ERROR_ACCESS_DENIED};
    o.done = true;
    return;
  }
  if (target.CreateTime != 0) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (::GetProcessTimes(o.handle.get(), &created, &exited, &kernel, &user)) {
      const uint64_t now = (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
      if (now != target.CreateTime) {  // the confirmed process is gone and its PID reused
        o.outcome = {TerminateResult::Failed, ERROR_INVALID_PARAMETER};
        o.done = true;
      }
    }
  }
}

TerminateOutcome TerminateNow(HANDLE process) {
  if (::TerminateProcess(process, 0)) return {TerminateResult::Terminated, 0};
  return {TerminateResult::Failed, ::GetLastError()};
}

}  // namespace

std::vector<TerminateOutcome> CloseOrTerminateProcesses(const std::vector<ProcessTarget>& targets, int timeoutMs) {
  return CloseOrTerminateProcesses(targets, timeoutMs, WtsApi());
}

std::vector<TerminateOutcome> CloseOrTerminateProcesses(const std::vector<ProcessTarget>& targets, int timeoutMs,
                                                        IWtsApi& wts) {
  std::vector<Opened> opened(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) Open(targets[i], opened[i], wts);

  if (timeoutMs >= 0) {
    // Ask every window of every target to close, from one enumeration; posted, so a hung window holds up nothing.
    std::unordered_set<uint32_t> pending, asked;
    for (size_t i = 0; i < targets.size(); ++i)
      if (!opened[i].done) pending.insert(targets[i].PID);
    for (const TopLevelWindow& w : EnumerateTopLevelWindows()) {
      if (!pending.count(w.PID)) continue;
      ::PostMessageW(reinterpret_cast<HWND>(static_cast<uintptr_t>(w.Handle)), WM_CLOSE, 0, 0);
      asked.insert(w.PID);
    }
    // A process without windows cannot be asked, so waiting for it would only delay its end.
    for (size_t i = 0; i < targets.size(); ++i) {
      if (opened[i].done || asked.count(targets[i].PID)) continue;
      opened[i].outcome = TerminateNow(opened[i].handle.get());
      opened[i].done = true;
    }

    // Wait for all of them within one budget.
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (Opened& o : opened) {
      if (o.done) continue;
      const ULONGLONG now = ::GetTickCount64();
      const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
      if (::WaitForSingleObject(o.handle.get(), left) == WAIT_OBJECT_0) {
        o.outcome = {TerminateResult::Closed, 0};
        o.done = true;
      }
    }
  }
  // The survivors, in the given order.
  for (Opened& o : opened) {
    if (o.done) continue;
    o.outcome = TerminateNow(o.handle.get());
    o.done = true;
  }
  std::vector<TerminateOutcome> outcomes;
  outcomes.reserve(opened.size());
  for (const Opened& o : opened) outcomes.push_back(o.outcome);
  return outcomes;
}

TerminateOutcome CloseOrTerminateProcess(const ProcessTarget& target, int timeoutMs) {
  return CloseOrTerminateProcesses({target}, timeoutMs).front();
}

bool RunAsAdmin(HWND owner, const std::wstring& fileName, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info{sizeof(info)};
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_UNICODE;
  info.hwnd = owner;
  info.lpVerb = L"runas";
  info.lpFile = fileName.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ::ShellExecuteExW(&info) != FALSE;
}

}  // namespace vantrel
