// Sessions, the session process list and the journal entry through a fake terminal-services interface (Wine
// reports no sessions), and once through the real binding.
#include <windows.h>
// after windows.h
#include <sddl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "../support/fake_wts.h"
#include "core/process/process_rules.h"
#include "core/sessions/session_rules.h"
#include "os_test_print.h"
#include "system/os/accounts.h"
#include "system/sessions/session_reader.h"

namespace vantrel {
namespace {

using vantrel::testing::AnswerSessionQuery;
using vantrel::testing::FakeWtsSession;
using vantrel::testing::WtsAddress;
using vantrel::testing::WtsBytes;
using vantrel::testing::WtsText;

struct FakeProcess {
  DWORD session, pid;
  std::wstring name;
  std::wstring sid;  // SID text; empty: no SID
  DWORD threads = 0, handles = 0, pagefile = 0, peakPagefile = 0, workingSet = 0, peakWorkingSet = 0;
  int64_t user = 0, kernel = 0;
};

// Hands out every buffer as its own allocation and counts what is still unreleased.
class FakeWts final : public IWtsApi {
 public:
  bool available = true;
  bool enumerateSessionsOk = true, enumerateProcessesOk = true;
  std::vector<FakeWtsSession> sessions;
  std::vector<FakeProcess> processes;
  BOOL actionResult = FALSE;
  DWORD actionError = 0;
  struct Call {
    std::string what;
    DWORD session;
    BOOL wait;
    std::wstring title, message;
    DWORD style, timeout;
  };
  std::vector<Call> calls;
  DWORD lastFreeExCount = 0;
  int lastFreeExType = -1;

  size_t Outstanding() const { return live_.size(); }

  bool WTSAvailable() const override { return available; }
  BOOL WTSEnumerateSessionsW(HANDLE, DWORD, DWORD version, PWTS_SESSION_INFOW* out, DWORD* count) override {
    EXPECT_EQ(version, 1u);
    if (!enumerateSessionsOk) {
      ::SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    size_t bytes = sizeof(WTS_SESSION_INFOW) * sessions.size();
    for (const FakeWtsSession& s : sessions) bytes += (s.winSta.size() + 1) * sizeof(wchar_t);
    uint8_t* block = Allocate(bytes);
    auto* infos = reinterpret_cast<WTS_SESSION_INFOW*>(block);
    auto* text = reinterpret_cast<wchar_t*>(block + sizeof(WTS_SESSION_INFOW) * sessions.size());
    for (size_t i = 0; i < sessions.size(); ++i) {
      std::memcpy(text, sessions[i].winSta.c_str(), (sessions[i].winSta.size() + 1) * sizeof(wchar_t));
      infos[i] = WTS_SESSION_INFOW{sessions[i].id, text, sessions[i].state};
      text += sessions[i].winSta.size() + 1;
    }
    *out = infos;
    *count = static_cast<DWORD>(sessions.size());
    return TRUE;
  }
  BOOL WTSEnumerateProcessesW(HANDLE, DWORD, DWORD, PWTS_PROCESS_INFOW* out, DWORD* count) override {
    if (!enumerateProcessesOk) return FALSE;
    auto* infos = reinterpret_cast<WTS_PROCESS_INFOW*>(Allocate(sizeof(WTS_PROCESS_INFOW) * processes.size()));
    for (size_t i = 0; i < processes.size(); ++i)
      infos[i] = WTS_PROCESS_INFOW{processes[i].session, processes[i].pid, Name(processes[i]), Sid(processes[i])};
    *out = infos;
    *count = static_cast<DWORD>(processes.size());
    return TRUE;
  }
  BOOL WTSEnumerateProcessesExW(HANDLE, DWORD* level, DWORD session, LPWSTR* out, DWORD* count) override {
    EXPECT_EQ(*level, 1u);
    EXPECT_EQ(session, kWtsAnySession);
    if (!enumerateProcessesOk) return FALSE;
    auto* infos = reinterpret_cast<WtsProcessInfoEx*>(Allocate(sizeof(WtsProcessInfoEx) * processes.size()));
    for (size_t i = 0; i < processes.size(); ++i) {
      const FakeProcess& p = processes[i];
      WtsProcessInfoEx& e = infos[i];
      e = WtsProcessInfoEx{};
      e.SessionId = p.session;
      e.ProcessId = p.pid;
      e.pProcessName = Name(p);
      e.pUserSid = Sid(p);
      e.NumberOfThreads = p.threads;
      e.HandleCount = p.handles;
      e.PagefileUsage = p.pagefile;
      e.PeakPagefileUsage = p.peakPagefile;
      e.WorkingSetSize = p.workingSet;
      e.PeakWorkingSetSize = p.peakWorkingSet;
      e.UserTime.QuadPart = p.user;
      e.KernelTime.QuadPart = p.kernel;
    }
    *out = reinterpret_cast<LPWSTR>(infos);
    *count = static_cast<DWORD>(processes.size());
    return TRUE;
  }
  BOOL WTSTerminateProcess(HANDLE, DWORD, DWORD) override { return FALSE; }
  BOOL WTSQuerySessionInformationW(HANDLE, DWORD id, WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                   DWORD* bytes) override {
    return AnswerSessionQuery(sessions, id, infoClass, buffer, bytes, [this](size_t n) { return Allocate(n); });
  }
  DWORD WTSGetActiveConsoleSessionId() override { return 1; }
  BOOL WTSSendMessageW(HANDLE, DWORD session, LPWSTR title, DWORD titleBytes, LPWSTR message, DWORD messageBytes,
                       DWORD style, DWORD timeout, DWORD* response, BOOL wait) override {
    EXPECT_NE(response, nullptr);
    calls.push_back({"send", session, wait, std::wstring(title, titleBytes / sizeof(wchar_t)),
                     std::wstring(message, messageBytes / sizeof(wchar_t)), style, timeout});
    return Act();
  }
  BOOL WTSDisconnectSession(HANDLE, DWORD session, BOOL wait) override {
    calls.push_back({"disconnect", session, wait, {}, {}, 0, 0});
    return Act();
  }
  BOOL WTSLogoffSession(HANDLE, DWORD session, BOOL wait) override {
    calls.push_back({"logoff", session, wait, {}, {}, 0, 0});
    return Act();
  }
  void WTSFreeMemory(PVOID memory) override { Free(memory); }
  void WTSFreeMemoryEx(int type, PVOID memory, ULONG count) override {
    lastFreeExType = type;
    lastFreeExCount = count;
    Free(memory);
  }
  BOOL WTSRegisterSessionNotification(HWND, DWORD) override { return TRUE; }
  BOOL WTSUnRegisterSessionNotification(HWND) override { return TRUE; }

 private:
  uint8_t* Allocate(size_t bytes) {
    storage_.emplace_back(bytes + 16, 0);
    uint8_t* p = storage_.back().data();
    live_.insert(p);
    return p;
  }
  void Free(PVOID p) {
    if (!p) return;
    EXPECT_EQ(live_.erase(static_cast<uint8_t*>(p)), 1u) << "released twice or never handed out";
  }
  LPWSTR Name(const FakeProcess& p) {
    uint8_t* block = Allocate((p.name.size() + 1) * sizeof(wchar_t));
    std::memcpy(block, p.name.c_str(), (p.name.size() + 1) * sizeof(wchar_t));
    live_.erase(block);  // part of the enumeration's block on Windows: released with it
    return reinterpret_cast<LPWSTR>(block);
  }
  PSID Sid(const FakeProcess& p) {
    if (p.sid.empty()) return nullptr;
    PSID sid = nullptr;
    EXPECT_TRUE(::ConvertStringSidToSidW(p.sid.c_str(), &sid));
    const DWORD size = ::GetLengthSid(sid);
    uint8_t* block = Allocate(size);
    live_.erase(block);
    std::memcpy(block, sid, size);
    ::LocalFree(sid);
    return block;
  }
  BOOL Act() {
    ::SetLastError(actionError);
    return actionResult;
  }

  std::vector<std::vector<uint8_t>> storage_;
  std::set<uint8_t*> live_;
};

// A server with the services session, the console, a remote session from PC7 and a listener.
void FillServer(FakeWts& wts) {
  FakeWtsSession services{0, L"Services", WTSDisconnected, {}};
  services.info[WTSUserName] = WtsText(L"");
  FakeWtsSession console{1, L"Console", WTSActive, {}};
  console.info[WTSUserName] = WtsText(L"root");
  console.info[WTSDomainName] = WtsText(L"VM");
  console.info[WTSClientName] = WtsText(L"");
  console.info[WTSClientBuildNumber] = WtsBytes(DWORD{0});
  console.info[WTSClientDisplay] = WtsBytes(WTS_CLIENT_DISPLAY{1920, 1080, 0});  // no depth: no display text
  console.info[WTSClientAddress] = WtsAddress(23, {0, 0, 0xfe, 0x80});  // IPv6: no address text
  // Made in domain OFFICE, with every client fact.
  const FakeWtsSession remote = FakeWtsSession::Make(3, L"RDP-Tcp#7", WTSActive, L"clerk", L"PC7", 9600,
                                                     WTS_CLIENT_DISPLAY{1280, 1024, 16},
                                                     WtsAddress(2, {0x0d, 0x3d, 10, 0, 0, 7}));
  FakeWtsSession listener{65536, L"RDP-Tcp", WTSListen, {}};
  listener.info[WTSClientDisplay] = std::vector<uint8_t>{1, 2};  // short buffer: ignored
  wts.sessions = {services, console, remote, listener};

  wts.processes = {
      {0, 4, L"System", L"S-1-5-18"},
      {0, 400, L"svchost.exe", L"S-1-5-21-1-2-3-4444", 12, 300, 4096, 8192, 1 << 20, 2 << 20, 50, 70},
      {1, 600, L"csrss.exe", L"S-1-5-18"},
      {3, 900, L"notepad.exe", L"", 3, 40, 1000, 2000, 3 << 20, 4 << 20, 111, 222},
  };
}

TEST(SessionReader, EverySessionWithItsClientFacts) {
  FakeWts wts;
  FillServer(wts);
  const SessionsRead read = ReadSessions(wts);
  ASSERT_TRUE(read.Ok);
  EXPECT_EQ(wts.Outstanding(), 0u);
  ASSERT_EQ(read.Sessions.size(), 4u);
  const SessionRecord& console = read.Sessions[1];
  const SessionRecord& remote = read.Sessions[2];
  const SessionRecord& listener = read.Sessions[3];
  EXPECT_EQ(console.WinSta, L"Console");
  EXPECT_EQ(console.DomainName, L"VM");
  EXPECT_EQ(SessionCellText(console, Index(SessionColumn::ClientDisplay)), L"");
  EXPECT_EQ(SessionCellText(console, Index(SessionColumn::ClientAddress)), L"");
  EXPECT_EQ(SessionCellText(console, Index(SessionColumn::ClientOS)), L"");
  const wchar_t* remoteCells[] = {L"3",  L"RDP-Tcp#7", L"clerk", L"PC7", L"Active", L"0", L"Windows (Build 9600)",
                                  L"1280 x 1024 @ 15-bit", L"10.0.0.7"};
  for (int c = 0; c < kSessionColumnCount; ++c) EXPECT_EQ(SessionCellText(remote, c), remoteCells[c]) << c;
  EXPECT_EQ(remote.DomainName, L"OFFICE");
  EXPECT_EQ(listener.ID, 65536u);
  EXPECT_EQ(listener.Username, L"");
  EXPECT_EQ(listener.ClientDisplayDepth, 0);
  EXPECT_EQ(SessionCellText(listener, Index(SessionColumn::State)), L"Listen");
  EXPECT_EQ(SessionRowColour(listener, L"root"), kSessionInactiveColour);
  EXPECT_EQ(SessionRowColour(console, L"ROOT"), kSessionOwnColour);

  wts.enumerateSessionsOk = false;
  const SessionsRead failed = ReadSessions(wts);
  EXPECT_FALSE(failed.Ok);
  EXPECT_EQ(failed.Error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(failed.Sessions.empty());
  EXPECT_FALSE(SessionsTabVisible(failed.Sessions.size()));
}

TEST(SessionReader, ProcessListBasicAndExtendedWithOwners) {
  FakeWts wts;
  FillServer(wts);
  for (bool extended : {false, true}) {
    const SessionsSnapshot snap = ReadSessionsSnapshot(wts, extended);
    EXPECT_EQ(wts.Outstanding(), 0u) << extended;
    ASSERT_TRUE(snap.Processes.Ok);
    const ProcessRecords& p = snap.Processes.Processes;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].Username, L"SYSTEM");                 // from the SID
    EXPECT_EQ(p[1].Username, L"S-1-5-21-1-2-3-4444");   // a SID of no account: its text
    EXPECT_EQ(p[2].Username, L"SYSTEM");                 // csrss in the console session keeps its owner
    EXPECT_EQ(p[3].Username, L"clerk");                  // no SID: the session's user
    EXPECT_EQ(p[3].Name, L"notepad.exe");
    EXPECT_EQ(p[3].Session, 3);
    const SessionRecords& s = snap.Sessions.Sessions;
    EXPECT_EQ(s[0].ProcCount, 2);  // the services session counts its processes
    EXPECT_EQ(s[1].ProcCount, 1);
    EXPECT_EQ(s[2].ProcCount, 1);
    EXPECT_EQ(s[3].ProcCount, 0);
    if (extended) {
      EXPECT_EQ(wts.lastFreeExType, kWtsTypeProcessInfoLevel1);
      EXPECT_EQ(wts.lastFreeExCount, 4u);
      EXPECT_EQ(p[1].ThreadCount, 12);
      EXPECT_EQ(p[1].HandleCount, 300);
      EXPECT_EQ(p[1].VMCounters.PagefileUsage, 4096u);
      EXPECT_EQ(p[1].VMCounters.PeakPagefileUsage, 8192u);
      EXPECT_EQ(p[1].WorkingSet, 1u << 20);
      EXPECT_EQ(p[1].PeakWorkingSet, 2u << 20);
      EXPECT_EQ(p[1].CPUTimes.UserTime, 50u);
      EXPECT_EQ(p[1].CPUTimes.KernelTime, 70u);
    } else {
      EXPECT_EQ(p[1].WorkingSet, 0u);  // the basic enumeration has no counters
      EXPECT_EQ(p[1].HandleCount, 0);
    }
  }
  wts.enumerateProcessesOk = false;
  const SessionsSnapshot none = ReadSessionsSnapshot(wts, false);
  EXPECT_FALSE(none.Processes.Ok);
  for (const SessionRecord& s : none.Sessions.Sessions) EXPECT_EQ(s.ProcCount, 0);
  EXPECT_TRUE(UseExtendedSessionProcesses(true, false));
  EXPECT_FALSE(UseExtendedSessionProcesses(true, true));
  EXPECT_FALSE(UseExtendedSessionProcesses(false, false));
}

TEST(SessionReader, ProcessTheProgramCannotOpenTakesWhatTheListKnows) {
  FakeWts wts;
  FillServer(wts);
  const SessionsSnapshot snap = ReadSessionsSnapshot(wts, true);
  // The process refresh's first-phase record of a process it could not open: no owner, no counters.
  ProcessRecord closed;
  closed.PID = 400;
  closed.Name = L"svchost.exe";
  MatchSessionProcesses(closed, snap.Processes.Processes);
  EXPECT_EQ(closed.Username, L"S-1-5-21-1-2-3-4444");
  EXPECT_EQ(closed.WorkingSet, 1u << 20);
  EXPECT_EQ(closed.PeakWorkingSet, 2u << 20);
  EXPECT_EQ(closed.ThreadCount, 12);
  EXPECT_EQ(closed.HandleCount, 300);
  EXPECT_EQ(closed.VMCounters.PagefileUsage, 4096u);
  EXPECT_EQ(closed.CPUTimes.KernelTime, 70u);
  EXPECT_FALSE(IsSystemProcess(closed));  // session 0 but an owner: not by the empty-owner rule
}

TEST(SessionActions, PassTheTargetAndReportTheCallsError) {
  FakeWts wts;
  wts.actionResult = FALSE;
  wts.actionError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(DisconnectSession(wts, 3).Error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(LogoffSession(wts, 3).Error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  const SessionOutcome sent = SendSessionMessage(wts, 3, L"Message from root (1)", L"Hello; \"you\"");
  EXPECT_FALSE(sent.Ok);
  ASSERT_EQ(wts.calls.size(), 3u);
  EXPECT_EQ(wts.calls[0].what, "disconnect");
  EXPECT_EQ(wts.calls[0].session, 3u);
  EXPECT_TRUE(wts.calls[0].wait);
  EXPECT_EQ(wts.calls[1].what, "logoff");
  EXPECT_TRUE(wts.calls[1].wait);
  EXPECT_EQ(wts.calls[2].title, L"Message from root (1)");
  EXPECT_EQ(wts.calls[2].message, L"Hello; \"you\"");
  EXPECT_EQ(wts.calls[2].style, static_cast<DWORD>(MB_OK));
  EXPECT_EQ(wts.calls[2].timeout, 0u);
  EXPECT_FALSE(wts.calls[2].wait);

  // A failure that sets no error is not reported as success.
  wts.actionError = ERROR_SUCCESS;
  ::SetLastError(ERROR_ACCESS_DENIED);  // stale
  EXPECT_EQ(LogoffSession(wts, 3).Error, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  wts.actionResult = TRUE;
  EXPECT_TRUE(DisconnectSession(wts, 3).Ok);
}

TEST(SessionJournal, EntryForEveryCodeWithItsUser) {
  FakeWts wts;
  FillServer(wts);
  const SessionRecords listed = ReadSessions(wts).Sessions;
  for (uint32_t code = 1; code <= 10; ++code) {
    const SessionJournalRecord r = NewJournalEntry(wts, code, 3, listed);
    EXPECT_EQ(r.Event, SessionEventText(code));
    EXPECT_EQ(r.Session, 3);
    EXPECT_EQ(r.Username, L"PC7\\clerk");
    EXPECT_FALSE(r.SesType.empty());
    EXPECT_GT(r.Timestamp, 40000.0);
  }
  EXPECT_EQ(NewJournalEntry(wts, 5, 1, listed).Username, L"root");  // console: the user alone

  // A logoff after the session ended: the system no longer knows the user, the list still does.
  wts.sessions.erase(wts.sessions.begin() + 2);
  EXPECT_EQ(JournalUserFor(wts, 3, listed), L"PC7\\clerk");
  // Not listed: asked from the system; a session it does not know gives nothing.
  EXPECT_EQ(JournalUserFor(wts, 1, {}), L"root");
  EXPECT_EQ(JournalUserFor(wts, 77, {}), L"");
  // Without the interface: the logged-on user.
  wts.available = false;
  EXPECT_FALSE(JournalUserFor(wts, 77, {}).empty());
  EXPECT_EQ(wts.Outstanding(), 0u);
}

TEST(SessionReader, RealBindingAnswers) {
  IWtsApi& api = WtsApi();
  for (bool extended : {false, true}) {
    const SessionsSnapshot snap = ReadSessionsSnapshot(api, extended);
    PrintLine(std::wstring(extended ? L"extended" : L"basic") + L": sessions ok " +
              std::to_wstring(snap.Sessions.Ok) + L", " + std::to_wstring(snap.Sessions.Sessions.size()) +
              L" sessions; processes ok " + std::to_wstring(snap.Processes.Ok) + L", " +
              std::to_wstring(snap.Processes.Processes.size()) + L" processes");
    for (const SessionRecord& s : snap.Sessions.Sessions) EXPECT_GE(s.ProcCount, 0);
    if (snap.Processes.Ok && !extended) {
      bool self = false;
      for (const ProcessRecord& p : snap.Processes.Processes) self |= p.PID == ::GetCurrentProcessId();
      EXPECT_TRUE(self);
    }
  }
  const SessionOutcome sent = SendSessionMessage(api, 0xFFFFFFF0u, L"t", L"m");
  if (!sent.Ok) {
    EXPECT_NE(sent.Error, 0u);
  }
  const SessionJournalRecord entry = NewJournalEntry(api, 7, 1, {});
  PrintLine(L"journal entry: " + entry.SesType + L" | " + entry.Username + L" | " + entry.Event);
  EXPECT_EQ(entry.Event, L"Session lock");
}

}  // namespace
}  // namespace vantrel
