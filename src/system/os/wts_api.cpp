#include "system/os/wts_api.h"

#include "core/sessions/session_rules.h"

namespace vantrel {

const std::array<const wchar_t*, 10> WTSConnectStateNames{
    L"WTSActive", L"WTSConnected", L"WTSConnectQuery", L"WTSShadow", L"WTSDisconnected",
    L"WTSIdle",   L"WTSListen",    L"WTSReset",        L"WTSDown",   L"WTSInit"};

std::wstring ConnectStateText(int state) { return SessionStateText(state); }

namespace {

constexpr const char* kNames[] = {"WTSEnumerateSessionsW",
                                  "WTSEnumerateProcessesW",
                                  "WTSEnumerateProcessesExW",
                                  "WTSTerminateProcess",
                                  "WTSQuerySessionInformationW",
                                  "WTSGetActiveConsoleSessionId",
                                  "WTSSendMessageW",
                                  "WTSDisconnectSession",
                                  "WTSLogoffSession",
                                  "WTSFreeMemory",
                                  "WTSFreeMemoryExW",
                                  "WTSRegisterSessionNotification",
                                  "WTSUnRegisterSessionNotification",
                                  "WTSEnumerateServersA"};

}  // namespace

WtsBinding::WtsBinding(const wchar_t* wtsLibrary, const wchar_t* kernelLibrary) {
  // Every entry point is bound here, once: session actions call from workers, and a slot filled lazily would be
  // written by one thread while another reads it. The libraries stay loaded for the process's life, since a worker
  // may still be inside one of them while the program ends.
  const HMODULE wts = LoadFromSystemFolder(wtsLibrary);
  const HMODULE kernel = LoadFromSystemFolder(kernelLibrary);
  for (size_t slot = 0; slot < kSlotCount; ++slot) {
    const HMODULE m = slot == kGetActiveConsoleSessionId ? kernel : wts;
    slots_[slot] = m ? ::GetProcAddress(m, kNames[slot]) : nullptr;
  }
  available_ = slots_[kEnumerateServers] != nullptr;
}

HMODULE WtsBinding::LoadFromSystemFolder(const wchar_t* name) {
  if (HMODULE loaded = ::GetModuleHandleW(name)) return loaded;
  return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

template <typename F>
F WtsBinding::Proc(Slot slot) const {
  return reinterpret_cast<F>(reinterpret_cast<void*>(slots_[slot]));
}

BOOL WtsBinding::WTSEnumerateSessionsW(HANDLE server, DWORD reserved, DWORD version, PWTS_SESSION_INFOW* sessions,
                                       DWORD* count) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW*, DWORD*);
  const F f = Proc<F>(kEnumerateSessions);
  return f ? f(server, reserved, version, sessions, count) : FALSE;
}

BOOL WtsBinding::WTSEnumerateProcessesW(HANDLE server, DWORD reserved, DWORD version, PWTS_PROCESS_INFOW* processes,
                                        DWORD* count) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_PROCESS_INFOW*, DWORD*);
  const F f = Proc<F>(kEnumerateProcesses);
  return f ? f(server, reserved, version, processes, count) : FALSE;
}

BOOL WtsBinding::WTSEnumerateProcessesExW(HANDLE server, DWORD* level, DWORD sessionId, LPWSTR* processes,
                                          DWORD* count) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD*, DWORD, LPWSTR*, DWORD*);
  const F f = Proc<F>(kEnumerateProcessesEx);
  return f ? f(server, level, sessionId, processes, count) : FALSE;
}

BOOL WtsBinding::WTSTerminateProcess(HANDLE server, DWORD processId, DWORD exitCode) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD, DWORD);
  const F f = Proc<F>(kTerminateProcess);
  return f ? f(server, processId, exitCode) : FALSE;
}

BOOL WtsBinding::WTSQuerySessionInformationW(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                             DWORD* bytes) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
  const F f = Proc<F>(kQuerySessionInformation);
  return f ? f(server, sessionId, infoClass, buffer, bytes) : FALSE;
}

DWORD WtsBinding::WTSGetActiveConsoleSessionId() {
  using F = DWORD(WINAPI*)();
  const F f = Proc<F>(kGetActiveConsoleSessionId);
  return f ? f() : kNoConsoleSession;
}

BOOL WtsBinding::WTSSendMessageW(HANDLE server, DWORD sessionId, LPWSTR title, DWORD titleBytes, LPWSTR message,
                                 DWORD messageBytes, DWORD style, DWORD timeout, DWORD* response, BOOL wait) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, DWORD, LPWSTR, DWORD, DWORD, DWORD, DWORD*, BOOL);
  const F f = Proc<F>(kSendMessage);
  return f ? f(server, sessionId, title, titleBytes, message, messageBytes, style, timeout, response, wait) : FALSE;
}

BOOL WtsBinding::WTSDisconnectSession(HANDLE server, DWORD sessionId, BOOL wait) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD, BOOL);
  const F f = Proc<F>(kDisconnectSession);
  return f ? f(server, sessionId, wait) : FALSE;
}

BOOL WtsBinding::WTSLogoffSession(HANDLE server, DWORD sessionId, BOOL wait) {
  using F = BOOL(WINAPI*)(HANDLE, DWORD, BOOL);
  const F f = Proc<F>(kLogoffSession);
  return f ? f(server, sessionId, wait) : FALSE;
}

void WtsBinding::WTSFreeMemory(PVOID memory) {
  using F = void(WINAPI*)(PVOID);
  const F f = Proc<F>(kFreeMemory);
  if (f && memory) f(memory);
}

void WtsBinding::WTSFreeMemoryEx(int typeClass, PVOID memory, ULONG count) {
  using F = BOOL(WINAPI*)(int, PVOID, ULONG);
  const F f = Proc<F>(kFreeMemoryEx);
  if (f && memory) f(typeClass, memory, count);
}

BOOL WtsBinding::WTSRegisterSessionNotification(HWND window, DWORD flags) {
  using F = BOOL(WINAPI*)(HWND, DWORD);
  const F f = Proc<F>(kRegisterSessionNotification);
  if (!f) {
    // A cleared last error tells the caller that retrying is pointless.
    ::SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  return f(window, flags);
}

BOOL WtsBinding::WTSUnRegisterSessionNotification(HWND window) {
  using F = BOOL(WINAPI*)(HWND);
  const F f = Proc<F>(kUnRegisterSessionNotification);
  return f ? f(window) : FALSE;
}

IWtsApi& WtsApi() {
  static WtsBinding binding;
  return binding;
}

bool RegisterSessionNotifications(IWtsApi& api, HWND window, int attempts, DWORD pauseMs) {
  for (int i = 0; i < attempts; ++i) {
    if (api.WTSRegisterSessionNotification(window, NOTIFY_FOR_ALL_SESSIONS)) return true;
    if (::GetLastError() != RPC_S_INVALID_BINDING) return false;
    if (i + 1 < attempts) ::Sleep(pauseMs);
  }
  return false;
}

void UnregisterSessionNotifications(IWtsApi& api, HWND window) { api.WTSUnRegisterSessionNotification(window); }

}  // namespace vantrel
