// Terminal-services functions bound by name at run time, with a neutral result wherever a function (or its
// library) is missing. The interface lets tests stand in for a system whose terminal services only stub.
#pragma once

#include <windows.h>
#include <wtsapi32.h>

#include <array>
#include <string>

#include "system/raii.h"

namespace vantrel {

// WTS_PROCESS_INFO_EXW (level 1), which these headers lack.
struct WtsProcessInfoEx {
  DWORD SessionId;
  DWORD ProcessId;
  LPWSTR pProcessName;
  PSID pUserSid;
  DWORD NumberOfThreads;
  DWORD HandleCount;
  DWORD PagefileUsage;
  DWORD PeakPagefileUsage;
  DWORD WorkingSetSize;
  DWORD PeakWorkingSetSize;
  LARGE_INTEGER UserTime;
  LARGE_INTEGER KernelTime;
};
inline constexpr DWORD kWtsAnySession = 0xFFFFFFFE;
inline constexpr int kWtsTypeProcessInfoLevel1 = 1;
inline constexpr DWORD kNoConsoleSession = 0xFFFFFFFF;

class IWtsApi {
 public:
  virtual ~IWtsApi() = default;
  virtual bool WTSAvailable() const = 0;
  virtual BOOL WTSEnumerateSessionsW(HANDLE server, DWORD reserved, DWORD version, PWTS_SESSION_INFOW* sessions,
                                     DWORD* count) = 0;
  virtual BOOL WTSEnumerateProcessesW(HANDLE server, DWORD reserved, DWORD version, PWTS_PROCESS_INFOW* processes,
                                      DWORD* count) = 0;
  virtual BOOL WTSEnumerateProcessesExW(HANDLE server, DWORD* level, DWORD sessionId, LPWSTR* processes,
                                        DWORD* count) = 0;
  virtual BOOL WTSTerminateProcess(HANDLE server, DWORD processId, DWORD exitCode) = 0;
  virtual BOOL WTSQuerySessionInformationW(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                           DWORD* bytes) = 0;
  virtual DWORD WTSGetActiveConsoleSessionId() = 0;
  virtual BOOL WTSSendMessageW(HANDLE server, DWORD sessionId, LPWSTR title, DWORD titleBytes, LPWSTR message,
                               DWORD messageBytes, DWORD style, DWORD timeout, DWORD* response, BOOL wait) = 0;
  virtual BOOL WTSDisconnectSession(HANDLE server, DWORD sessionId, BOOL wait) = 0;
  virtual BOOL WTSLogoffSession(HANDLE server, DWORD sessionId, BOOL wait) = 0;
  virtual void WTSFreeMemory(PVOID memory) = 0;
  virtual void WTSFreeMemoryEx(int typeClass, PVOID memory, ULONG count) = 0;
  virtual BOOL WTSRegisterSessionNotification(HWND window, DWORD flags) = 0;
  virtual BOOL WTSUnRegisterSessionNotification(HWND window) = 0;
};

// The real binding: every function is looked up once, when the binding is made; a missing one stays missing.
class WtsBinding final : public IWtsApi {
 public:
  // Library names are parameters so that tests can bind against a library that does not exist.
  explicit WtsBinding(const wchar_t* wtsLibrary = L"wtsapi32.dll", const wchar_t* kernelLibrary = L"kernel32.dll");
  WtsBinding(const WtsBinding&) = delete;
  WtsBinding& operator=(const WtsBinding&) = delete;

  bool WTSAvailable() const override { return available_; }
  BOOL WTSEnumerateSessionsW(HANDLE server, DWORD reserved, DWORD version, PWTS_SESSION_INFOW* sessions,
                             DWORD* count) override;
  BOOL WTSEnumerateProcessesW(HANDLE server, DWORD reserved, DWORD version, PWTS_PROCESS_INFOW* processes,
                              DWORD* count) override;
  BOOL WTSEnumerateProcessesExW(HANDLE server, DWORD* level, DWORD sessionId, LPWSTR* processes, DWORD* count) override;
  BOOL WTSTerminateProcess(HANDLE server, DWORD processId, DWORD exitCode) override;
  BOOL WTSQuerySessionInformationW(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                   DWORD* bytes) override;
  DWORD WTSGetActiveConsoleSessionId() override;
  BOOL WTSSendMessageW(HANDLE server, DWORD sessionId, LPWSTR title, DWORD titleBytes, LPWSTR message,
                       DWORD messageBytes, DWORD style, DWORD timeout, DWORD* response, BOOL wait) override;
  BOOL WTSDisconnectSession(HANDLE server, DWORD sessionId, BOOL wait) override;
  BOOL WTSLogoffSession(HANDLE server, DWORD sessionId, BOOL wait) override;
  void WTSFreeMemory(PVOID memory) override;
  void WTSFreeMemoryEx(int typeClass, PVOID memory, ULONG count) override;
  BOOL WTSRegisterSessionNotification(HWND window, DWORD flags) override;
  BOOL WTSUnRegisterSessionNotification(HWND window) override;

 private:
  enum Slot : size_t {
    kEnumerateSessions,
    kEnumerateProcesses,
    kEnumerateProcessesEx,
    kTerminateProcess,
    kQuerySessionInformation,
    kGetActiveConsoleSessionId,
    kSendMessage,
    kDisconnectSession,
    kLogoffSession,
    kFreeMemory,
    kFreeMemoryEx,
    kRegisterSessionNotification,
    kUnRegisterSessionNotification,
    kEnumerateServers,
    kSlotCount
  };
  template <typename F>
  F Proc(Slot slot) const;
  static HMODULE LoadFromSystemFolder(const wchar_t* name);

  std::array<FARPROC, kSlotCount> slots_{};  // filled by the constructor, read-only after
  bool available_ = false;
};

// The process-wide binding.
IWtsApi& WtsApi();

// WTSConnectStateNames: "WTSActive" ... "WTSInit", indexed by WTS_CONNECTSTATE_CLASS.
extern const std::array<const wchar_t*, 10> WTSConnectStateNames;
// The view's text of a state: the name without its "WTS" ("Active"); the number itself outside 0..9.
std::wstring ConnectStateText(int state);

// Releases a buffer the terminal services handed out, through the same binding.
template <typename T>
class WtsMemory {
 public:
  explicit WtsMemory(IWtsApi& api) : api_(api) {}
  ~WtsMemory() {
    if (p_) api_.WTSFreeMemory(p_);
  }
  WtsMemory(const WtsMemory&) = delete;
  WtsMemory& operator=(const WtsMemory&) = delete;
  T** put() { return &p_; }
  T* get() const { return p_; }

 private:
  IWtsApi& api_;
  T* p_ = nullptr;
};

// Session-change notifications for the main window: registration tried up to `attempts` times, `pauseMs` apart,
// while the service is not ready yet (error 1702). True when registered.
bool RegisterSessionNotifications(IWtsApi& api, HWND window, int attempts = 10, DWORD pauseMs = 100);
void UnregisterSessionNotifications(IWtsApi& api, HWND window);

}  // namespace vantrel
