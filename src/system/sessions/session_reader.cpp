#include "system/sessions/session_reader.h"

#include <cstring>
#include <cwchar>
#include <map>
#include <vector>

#include "core/sessions/session_rules.h"
#include "system/os/accounts.h"

namespace vantrel {

namespace {

// Account names by SID text for one read: processes share a handful of owners, and each lookup may be slow.
class SidNames {
 public:
  std::wstring NameOf(PSID sid) {
    if (!sid || !::IsValidSid(sid)) return {};
    const std::wstring text = SIDToText(sid);
    auto [it, inserted] = names_.try_emplace(text);
    if (inserted) {
      it->second = GetSIDAccountName(sid, L"");
      if (it->second.empty()) it->second = text;
    }
    return it->second;
  }

 private:
  std::map<std::wstring, std::wstring> names_;
};

std::wstring TextOf(const wchar_t* s) { return s ? std::wstring(s) : std::wstring(); }

// One query's buffer; empty when the call failed or gave no buffer.
struct Queried {
  bool ok = false;
  std::vector<uint8_t> bytes;
};

Queried Query(IWtsApi& api, DWORD sessionId, WTS_INFO_CLASS infoClass) {
  Queried q;
  WtsMemory<wchar_t> buffer(api);
  DWORD bytes = 0;
  if (api.WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, sessionId, infoClass, buffer.put(), &bytes) &&
      buffer.get()) {
    q.ok = true;
    const auto* p = reinterpret_cast<const uint8_t*>(buffer.get());
    q.bytes.assign(p, p + bytes);
  }
  return q;
}

// A text query; the field keeps its value when the query fails.
void QueryText(IWtsApi& api, DWORD sessionId, WTS_INFO_CLASS infoClass, std::wstring& field) {
  const Queried q = Query(api, sessionId, infoClass);
  if (!q.ok) return;
  const auto* s = reinterpret_cast<const wchar_t*>(q.bytes.data());
  field.assign(s, wcsnlen(s, q.bytes.size() / sizeof(wchar_t)));
}

template <typename T>
bool QueryStruct(IWtsApi& api, DWORD sessionId, WTS_INFO_CLASS infoClass, T& value) {
  const Queried q = Query(api, sessionId, infoClass);
  if (!q.ok || q.bytes.size() < sizeof(T)) return false;
  std::memcpy(&value, q.bytes.data(), sizeof(T));
  return true;
}

void ReadClientFacts(IWtsApi& api, SessionRecord& r) {
  QueryText(api, r.ID, WTSClientName, r.ClientName);
  QueryText(api, r.ID, WTSDomainName, r.DomainName);
  DWORD build = 0;
  if (QueryStruct(api, r.ID, WTSClientBuildNumber, build)) r.ClientBuildNumber = static_cast<int32_t>(build);
  WTS_CLIENT_DISPLAY display{};
  if (QueryStruct(api, r.ID, WTSClientDisplay, display)) {
    r.ClientDisplayWidth = static_cast<int32_t>(display.HorizontalResolution);
    r.ClientDisplayHeight = static_cast<int32_t>(display.VerticalResolution);
    r.ClientDisplayDepth = static_cast<int32_t>(display.ColorDepth);
  }
  WTS_CLIENT_ADDRESS address{};
  if (QueryStruct(api, r.ID, WTSClientAddress, address))
    r.ClientAddress = ClientAddressText(address.AddressFamily, address.Address, sizeof address.Address);
}

// The logon time where the system gives one, else 0.
int64_t QueryLogonTime(IWtsApi& api, DWORD sessionId) {
  WTSINFOW info{};
  if (!QueryStruct(api, sessionId, WTSSessionInfo, info)) return 0;
  return info.LogonTime.QuadPart > 0 ? info.LogonTime.QuadPart : 0;
}

void ReadBasicProcesses(IWtsApi& api, SessionProcessesRead& result) {
  PWTS_PROCESS_INFOW processes = nullptr;
  DWORD count = 0;
  if (!api.WTSEnumerateProcessesW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &processes, &count)) return;
  result.Ok = true;
  SidNames names;
  if (processes) {
    result.Processes.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
      const WTS_PROCESS_INFOW& e = processes[i];
      ProcessRecord p;
      p.PID = e.ProcessId;
      p.Session = static_cast<int32_t>(e.SessionId);
      p.Name = TextOf(e.pProcessName);
      p.Username = names.NameOf(e.pUserSid);
      result.Processes.push_back(std::move(p));
    }
  }
  api.WTSFreeMemory(processes);
}

uint64_t Ticks(const LARGE_INTEGER& v) { return v.QuadPart > 0 ? static_cast<uint64_t>(v.QuadPart) : 0; }

void ReadExtendedProcesses(IWtsApi& api, SessionProcessesRead& result) {
  DWORD level = 1;
  LPWSTR raw = nullptr;
  DWORD count = 0;
  if (!api.WTSEnumerateProcessesExW(WTS_CURRENT_SERVER_HANDLE, &level, kWtsAnySession, &raw, &count)) return;
  result.Ok = true;
  SidNames names;
  const auto* processes = reinterpret_cast<const WtsProcessInfoEx*>(raw);
  if (processes) {
    result.Processes.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
      const WtsProcessInfoEx& e = processes[i];
      ProcessRecord p;
      p.PID = e.ProcessId;
      p.Session = static_cast<int32_t>(e.SessionId);
      p.Name = TextOf(e.pProcessName);
      p.Username = names.NameOf(e.pUserSid);
      p.WorkingSet = e.WorkingSetSize;
      p.PeakWorkingSet = e.PeakWorkingSetSize;
      p.ThreadCount = static_cast<int32_t>(e.NumberOfThreads);
      p.HandleCount = static_cast<int32_t>(e.HandleCount);
      p.VMCounters.PagefileUsage = e.PagefileUsage;
      p.VMCounters.PeakPagefileUsage = e.PeakPagefileUsage;
      p.CPUTimes.KernelTime = Ticks(e.KernelTime);
      p.CPUTimes.UserTime = Ticks(e.UserTime);
      result.Processes.push_back(std::move(p));
    }
  }
  if (raw) api.WTSFreeMemoryEx(kWtsTypeProcessInfoLevel1, raw, count);
}

// Called with the thread's error cleared before the call: a failure that sets no error (a stub, a missing entry
// point) is reported as unsupported rather than as "completed successfully".
SessionOutcome Outcome(BOOL ok) {
  if (ok) return SessionOutcome{true, 0};
  const DWORD error = ::GetLastError();
  return SessionOutcome{false, error ? error : static_cast<DWORD>(ERROR_NOT_SUPPORTED)};
}

DateTime LocalNow() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  DateTime value = 0;
  TryEncodeDateTime(DateTimeParts{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds}, value);
  return value;
}

}  // namespace

SessionProcessesRead ReadSessionProcesses(IWtsApi& api, bool extended) {
  SessionProcessesRead result;
  if (extended) ReadExtendedProcesses(api, result);
  else ReadBasicProcesses(api, result);
  return result;
}

SessionsRead ReadSessions(IWtsApi& api) {
  SessionsRead result;
  PWTS_SESSION_INFOW sessions = nullptr;
  DWORD count = 0;
  if (!api.WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) {
    result.Error = ::GetLastError();
    return result;
  }
  result.Ok = true;
  if (sessions) {
    for (DWORD i = 0; i < count; ++i) {
      SessionRecord r;
      r.ID = sessions[i].SessionId;
      r.WinSta = TextOf(sessions[i].pWinStationName);
      r.State = static_cast<int32_t>(sessions[i].State);
      QueryText(api, r.ID, WTSUserName, r.Username);
      r.LogonTime = QueryLogonTime(api, r.ID);
      ReadClientFacts(api, r);
      result.Sessions.push_back(std::move(r));
    }
  }
  api.WTSFreeMemory(sessions);
  return result;
}

SessionsSnapshot ReadSessionsSnapshot(IWtsApi& api, bool extendedProcesses) {
  SessionsSnapshot s;
  s.Processes = ReadSessionProcesses(api, extendedProcesses);
  s.Sessions = ReadSessions(api);
  ApplySessionProcesses(s.Sessions.Sessions, s.Processes.Processes);
  return s;
}

bool UseExtendedSessionProcesses(bool windows7OrLater, bool timerRunning) { return windows7OrLater && !timerRunning; }

SessionIdentity ReadSessionIdentity(IWtsApi& api, uint32_t sessionId) {
  SessionIdentity now;
  const Queried user = Query(api, sessionId, WTSUserName);
  if (user.ok) {
    now.UserKnown = true;
    const auto* s = reinterpret_cast<const wchar_t*>(user.bytes.data());
    now.Username.assign(s, wcsnlen(s, user.bytes.size() / sizeof(wchar_t)));
  }
  now.LogonTime = QueryLogonTime(api, sessionId);
  return now;
}

SessionOutcome DisconnectSession(IWtsApi& api, uint32_t sessionId) {
  ::SetLastError(ERROR_SUCCESS);
  return Outcome(api.WTSDisconnectSession(WTS_CURRENT_SERVER_HANDLE, sessionId, TRUE));
}

SessionOutcome LogoffSession(IWtsApi& api, uint32_t sessionId) {
  ::SetLastError(ERROR_SUCCESS);
  return Outcome(api.WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, sessionId, TRUE));
}

SessionOutcome SendSessionMessage(IWtsApi& api, uint32_t sessionId, const std::wstring& title,
                                  const std::wstring& text) {
  std::wstring t = title, m = text;  // the call takes writable buffers
  DWORD response = 0;
  ::SetLastError(ERROR_SUCCESS);
  return Outcome(api.WTSSendMessageW(WTS_CURRENT_SERVER_HANDLE, sessionId, t.data(),
                                     static_cast<DWORD>(t.size() * sizeof(wchar_t)), m.data(),
                                     static_cast<DWORD>(m.size() * sizeof(wchar_t)), MB_OK, 0, &response, FALSE));
}

std::wstring JournalUserFor(IWtsApi& api, uint32_t sessionId, const SessionRecords& listed) {
  std::wstring user;
  if (JournalUserFromSessions(listed, sessionId, user)) return user;
  if (api.WTSAvailable()) {
    std::wstring client, name;
    QueryText(api, sessionId, WTSClientName, client);
    QueryText(api, sessionId, WTSUserName, name);
    return ComposeSessionUser(client, name);
  }
  GetLoggedUser(api, static_cast<int>(sessionId), user);
  return user;
}

SessionJournalRecord NewJournalEntry(IWtsApi& api, uint32_t eventCode, uint32_t sessionId,
                                     const SessionRecords& listed) {
  SessionJournalRecord r;
  r.Timestamp = LocalNow();
  r.Session = static_cast<int32_t>(sessionId);
  r.SesType = SessionTypeToStr(GetSessionType());
  r.Event = SessionEventText(eventCode);
  r.Username = JournalUserFor(api, sessionId, listed);
  return r;
}

}  // namespace vantrel
