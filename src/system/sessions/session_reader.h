// Terminal-services sessions and the session process list, read through the IWtsApi seam; and the actions on a
// session. Pure functions that touch no window, so that a page can run them on a worker thread.
#pragma once

#include <windows.h>

#include <string>

#include "core/journal/journal.h"
#include "core/process/process_record.h"
#include "core/sessions/session_record.h"
#include "core/sessions/session_rules.h"
#include "system/os/wts_api.h"

namespace vantrel {

// The session process list: one entry per process the terminal services report, with PID, Session, Name and the
// owner read from the user SID (account name, else the SID text); the extended enumeration adds working sets,
// thread and handle counts, page-file usage and CPU times. Ok is false when the enumeration failed.
struct SessionProcessesRead {
  bool Ok = false;
  ProcessRecords Processes;
};
SessionProcessesRead ReadSessionProcesses(IWtsApi& api, bool extended);

// Every session, unfiltered, in the order reported, with its client facts. Ok is false when the enumeration
// failed or the interface is missing.
struct SessionsRead {
  bool Ok = false;
  DWORD Error = 0;
  SessionRecords Sessions;
};
SessionsRead ReadSessions(IWtsApi& api);

// One refresh of the sessions page: the process list first, then the sessions, then their process counts and the
// owners a SID did not give.
struct SessionsSnapshot {
  SessionsRead Sessions;
  SessionProcessesRead Processes;
};
SessionsSnapshot ReadSessionsSnapshot(IWtsApi& api, bool extendedProcesses);

// The extended process enumeration (with counters) from Windows 7 on, and only while the timer is off.
bool UseExtendedSessionProcesses(bool windows7OrLater, bool timerRunning);

struct SessionOutcome {
  bool Ok = false;
  DWORD Error = 0;       // the error of the failed call; ERROR_NOT_SUPPORTED when it set none
  bool Changed = false;  // not acted on: the session is no longer the confirmed one
};
// The session's user and logon time read now.
SessionIdentity ReadSessionIdentity(IWtsApi& api, uint32_t sessionId);
// Runs act only when the session still is the target's (user and logon time read again just before); else an
// outcome with Changed set, and nothing done.
template <typename Act>
SessionOutcome ActOnUnchangedSession(IWtsApi& api, const SessionTarget& target, Act act) {
  if (!SessionUnchanged(target, ReadSessionIdentity(api, target.ID))) return SessionOutcome{false, 0, true};
  return act();
}
// Each waits for the system to finish.
SessionOutcome DisconnectSession(IWtsApi& api, uint32_t sessionId);
SessionOutcome LogoffSession(IWtsApi& api, uint32_t sessionId);
// An OK box on the session's desktop, not waited for.
SessionOutcome SendSessionMessage(IWtsApi& api, uint32_t sessionId, const std::wstring& title,
                                  const std::wstring& text);

// A journal entry for a session change: now, the session, the program's own session type, the event text and the
// user (from the listed row, else the session's client and user names when the interface is present, else the
// logged-on user).
SessionJournalRecord NewJournalEntry(IWtsApi& api, uint32_t eventCode, uint32_t sessionId,
                                     const SessionRecords& listed);
// Just the user part of that.
std::wstring JournalUserFor(IWtsApi& api, uint32_t sessionId, const SessionRecords& listed);

}  // namespace vantrel
