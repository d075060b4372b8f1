// Terminal services as a test describes them (Wine reports no sessions): sessions with their query answers,
// processes, and a record of the actions. Actions may arrive on a worker thread.
#pragma once

#include <windows.h>
// after windows.h
#include <sddl.h>

#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "system/os/wts_api.h"

namespace vantrel::testing {

inline std::vector<uint8_t> WtsText(const std::wstring& s) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.c_str());
  return std::vector<uint8_t>(p, p + (s.size() + 1) * sizeof(wchar_t));
}
template <typename T>
std::vector<uint8_t> WtsBytes(const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  return std::vector<uint8_t>(p, p + sizeof value);
}

struct FakeWtsSession {
  DWORD id = 0;
  std::wstring winSta;
  WTS_CONNECTSTATE_CLASS state = WTSActive;
  std::map<WTS_INFO_CLASS, std::vector<uint8_t>> info;  // a class missing here fails its query

  // A session with its user and client facts.
  static FakeWtsSession Make(DWORD id, std::wstring winSta, WTS_CONNECTSTATE_CLASS state, const std::wstring& user,
                             const std::wstring& client = L"", DWORD build = 0, WTS_CLIENT_DISPLAY display = {},
                             std::vector<uint8_t> address = {}) {
    FakeWtsSession s{id, std::move(winSta), state, {}};
    s.info[WTSUserName] = WtsText(user);
    s.info[WTSClientName] = WtsText(client);
    s.info[WTSDomainName] = WtsText(L"OFFICE");
    s.info[WTSClientBuildNumber] = WtsBytes(build);
    s.info[WTSClientDisplay] = WtsBytes(display);
    if (!address.empty()) s.info[WTSClientAddress] = std::move(address);
    return s;
  }
};

inline std::vector<uint8_t> WtsAddress(DWORD family, std::initializer_list<uint8_t> bytes) {
  WTS_CLIENT_ADDRESS a{};
  a.AddressFamily = family;
  size_t i = 0;
  for (uint8_t b : bytes) a.Address[i++] = b;
  return WtsBytes(a);
}

// WTSQuerySessionInformationW over the given sessions: the class's bytes copied into a block from allocate(size);
// an unknown session or a class it lacks fails with ERROR_FILE_NOT_FOUND.
template <typename Allocate>
BOOL AnswerSessionQuery(const std::vector<FakeWtsSession>& sessions, DWORD id, WTS_INFO_CLASS infoClass,
                        LPWSTR* buffer, DWORD* bytes, Allocate allocate) {
  for (const FakeWtsSession& s : sessions) {
    if (s.id != id) continue;
    const auto it = s.info.find(infoClass);
    if (it == s.info.end()) break;
    uint8_t* block = allocate(it->second.size());
    std::memcpy(block, it->second.data(), it->second.size());
    *buffer = reinterpret_cast<LPWSTR>(block);
    *bytes = static_cast<DWORD>(it->second.size());
    return TRUE;
  }
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}

struct FakeWtsProcess {
  DWORD session = 0, pid = 0;
  std::wstring name;
  std::wstring sid;  // SID text; empty: none
  DWORD workingSet = 0;
};

class FakeWts final : public IWtsApi {
 public:
  std::vector<FakeWtsSession> sessions;
  std::vector<FakeWtsProcess> processes;
  BOOL actionResult = TRUE;
  DWORD actionError = 0;
  struct Call {
    std::string what;
    DWORD session = 0;
    BOOL wait = FALSE;
    std::wstring title, message;
    DWORD style = 0, timeout = 0;
  };
  std::vector<Call> Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

  bool WTSAvailable() const override { return true; }
  BOOL WTSEnumerateSessionsW(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW* out, DWORD* count) override {
    auto* infos = reinterpret_cast<WTS_SESSION_INFOW*>(Allocate(sizeof(WTS_SESSION_INFOW) * (sessions.size() + 1)));
    for (size_t i = 0; i < sessions.size(); ++i)
      infos[i] = WTS_SESSION_INFOW{sessions[i].id, Keep(sessions[i].winSta), sessions[i].state};
    *out = infos;
    *count = static_cast<DWORD>(sessions.size());
    return TRUE;
  }
  // Reads of the session process list, either form.
  int ProcessReads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return processReads_;
  }
  BOOL WTSEnumerateProcessesW(HANDLE, DWORD, DWORD, PWTS_PROCESS_INFOW* out, DWORD* count) override {
    CountProcessRead();
    auto* infos = reinterpret_cast<WTS_PROCESS_INFOW*>(Allocate(sizeof(WTS_PROCESS_INFOW) * (processes.size() + 1)));
    for (size_t i = 0; i < processes.size(); ++i)
      infos[i] = WTS_PROCESS_INFOW{processes[i].session, processes[i].pid, Keep(processes[i].name), Sid(processes[i])};
    *out = infos;
    *count = static_cast<DWORD>(processes.size());
    return TRUE;
  }
  BOOL WTSEnumerateProcessesExW(HANDLE, DWORD*, DWORD, LPWSTR* out, DWORD* count) override {
    CountProcessRead();
    auto* infos = reinterpret_cast<WtsProcessInfoEx*>(Allocate(sizeof(WtsProcessInfoEx) * (processes.size() + 1)));
    for (size_t i = 0; i < processes.size(); ++i) {
      infos[i] = WtsProcessInfoEx{};
      infos[i].SessionId = processes[i].session;
      infos[i].ProcessId = processes[i].pid;
      infos[i].pProcessName = Keep(processes[i].name);
      infos[i].pUserSid = Sid(processes[i]);
      infos[i].WorkingSetSize = processes[i].workingSet;
    }
    *out = reinterpret_cast<LPWSTR>(infos);
    *count = static_cast<DWORD>(processes.size());
    return TRUE;
  }
  BOOL WTSTerminateProcess(HANDLE, DWORD pid, DWORD) override {
    Call call{"terminate"};
    call.session = pid;  // the process, for this call
    return Act(std::move(call));
  }
  BOOL WTSQuerySessionInformationW(HANDLE, DWORD id, WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                   DWORD* bytes) override {
    return AnswerSessionQuery(sessions, id, infoClass, buffer, bytes, [this](size_t n) { return Allocate(n); });
  }
  DWORD WTSGetActiveConsoleSessionId() override { return 1; }
  BOOL WTSSendMessageW(HANDLE, DWORD session, LPWSTR title, DWORD titleBytes, LPWSTR message, DWORD messageBytes,
                       DWORD style, DWORD timeout, DWORD*, BOOL wait) override {
    return Act({"send", session, wait, std::wstring(title, titleBytes / sizeof(wchar_t)),
                std::wstring(message, messageBytes / sizeof(wchar_t)), style, timeout});
  }
  BOOL WTSDisconnectSession(HANDLE, DWORD session, BOOL wait) override {
    return Act({"disconnect", session, wait, {}, {}, 0, 0});
  }
  BOOL WTSLogoffSession(HANDLE, DWORD session, BOOL wait) override { return Act({"logoff", session, wait, {}, {}, 0, 0}); }
  void WTSFreeMemory(PVOID) override {}
  void WTSFreeMemoryEx(int, PVOID, ULONG) override {}
  BOOL WTSRegisterSessionNotification(HWND, DWORD) override { return TRUE; }
  BOOL WTSUnRegisterSessionNotification(HWND) override { return TRUE; }

 private:
  // Every buffer lives as long as the fake: the page's reads are checked elsewhere for their releases.
  uint8_t* Allocate(size_t bytes) {
    storage_.emplace_back(bytes + 16, 0);
    return storage_.back().data();
  }
  LPWSTR Keep(const std::wstring& s) {
    auto* p = reinterpret_cast<wchar_t*>(Allocate((s.size() + 1) * sizeof(wchar_t)));
    std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
    return p;
  }
  PSID Sid(const FakeWtsProcess& p) {
    if (p.sid.empty()) return nullptr;
    PSID sid = nullptr;
    if (!::ConvertStringSidToSidW(p.sid.c_str(), &sid)) return nullptr;
    const DWORD size = ::GetLengthSid(sid);
    uint8_t* block = Allocate(size);
    std::memcpy(block, sid, size);
    ::LocalFree(sid);
    return block;
  }
  void CountProcessRead() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++processReads_;
  }
  BOOL Act(Call call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
    ::SetLastError(actionError);
    return actionResult;
  }

  std::deque<std::vector<uint8_t>> storage_;
  std::mutex mutex_;
  std::vector<Call> calls_;
  int processReads_ = 0;
};

}  // namespace vantrel::testing
