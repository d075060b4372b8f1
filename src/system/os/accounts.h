// Accounts, privileges and sessions: owners of processes, SIDs, the logged-on user, admin and elevation tests,
// the debug privilege and the kind of session the program runs in.
#pragma once

#include <windows.h>

#include <string>

#include "core/os/accounts.h"
#include "system/os/wts_api.h"

namespace vantrel {

// GetUserNameW; empty on failure.
std::wstring GetCurrentUserName();
// The caller's token holds the Administrators group (a filtered administrator token included).
bool IsAdmin();
// The process token is elevated.
bool IsElevated();
// Owner of a process from its token: the account and domain, or the SID text with an empty domain when the SID
// maps to no account. False when the token cannot be read.
bool GetProcessUserName(HANDLE process, std::wstring& user, std::wstring& domain);
enum class SidLookupOutcome { Found, NoneMapped, Failed };
struct SidLookupResult {
  SidLookupOutcome Outcome = SidLookupOutcome::Failed;
  std::wstring Name, Domain;
};
// LookupAccountSidW on a machine ("" = this one), asked a second time only when the buffers were too small.
SidLookupResult LookupSidAccount(PSID sid, const std::wstring& systemName);
// SID text of a SID in memory; empty when it is not valid.
std::wstring SIDToText(PSID sid);
// The account's SID as text; empty when there is no such account.
std::wstring GetAccountSID(const std::wstring& systemName, const std::wstring& accountName);
// The account name (without domain) of a SID on a machine; empty when none.
std::wstring GetSIDAccountName(PSID sid, const std::wstring& systemName);
// Who is logged on to a session (-1: this program's session).
void GetLoggedUser(int sessionId, std::wstring& user);
void GetLoggedUser(IWtsApi& wts, int sessionId, std::wstring& user);
// A process of that (file) name in the session (-1: the current session); its id, or -1.
int FindProcessInSession(const std::wstring& name, int& sessionId);
std::wstring GetProcessBaseName(DWORD processId);
std::wstring GetProcessFileName(DWORD processId);
// This program's session; -1 when unknown.
int GetCurrentSessionId();
int GetCurrentSessionId(IWtsApi& wts);
// The active console session; without WTSGetActiveConsoleSessionId the enumerated "Console" session, else 0.
int GetConsoleSessionId();
int GetConsoleSessionId(IWtsApi& wts);
// Workgroup or domain of a server ("" = this machine), upper case; empty on failure.
std::wstring GetWorkgroupName(const std::wstring& serverName);
// SeDebugPrivilege through AdjustTokenPrivileges; false also when the account does not hold it.
bool EnableDebugPrivilege();
// SeDebugPrivilege through RtlAdjustPrivilege; true when it is enabled now.
bool AdjustDebugPrivilege();
bool IsRemoteSession();
SessionTypes GetSessionType();
// The registry facts GetSessionType decides on.
SessionFacts ReadSessionFacts();

}  // namespace vantrel
