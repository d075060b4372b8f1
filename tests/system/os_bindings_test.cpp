// The native and terminal-services bindings: real entry points, missing libraries, and the session logic on a fake.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "system/os/accounts.h"
#include "system/os/native_api.h"
#include "system/os/system_library.h"
#include "system/os/wts_api.h"

namespace vantrel {
namespace {

TEST(NativeApi, BoundFromTheLoadedNtdll) {
  ASSERT_TRUE(LoadNativeAPI());
  EXPECT_FALSE(NativeApiOwnLoad());
  const NativeApiTable first = NativeApi();
  EXPECT_NE(first.NtQuerySystemInformation, nullptr);
  EXPECT_NE(first.RtlAdjustPrivilege, nullptr);
  ASSERT_TRUE(LoadNativeAPI());
  EXPECT_EQ(NativeApi().NtQueryObject, first.NtQueryObject);
  EXPECT_EQ(NativeApi().NtDuplicateObject, first.NtDuplicateObject);
  UnloadNativeAPI();  // not loaded by the binding: stays
  EXPECT_NE(::GetModuleHandleW(L"ntdll.dll"), nullptr);
  EXPECT_EQ(NativeApi().NtClose(nullptr) >= 0, false);  // a call through the pointer reaches ntdll
}

// A library loaded on demand comes from the system folder only: a DLL of that name beside the program is never
// taken. A missing library or export gives null pointers and the load's error, never a crash.
TEST(SystemLibrary, LoadsOnlyFromTheSystemFolderAndReportsWhatIsMissing) {
  wchar_t system[MAX_PATH] = {}, exe[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  std::wstring besideUs(exe);
  besideUs.resize(besideUs.find_last_of(L'\\') + 1);
  const std::wstring planted = L"vantrel-planted-" + std::to_wstring(::GetCurrentProcessId()) + L".dll";
  besideUs += planted;
  ASSERT_TRUE(::CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), besideUs.c_str(), FALSE));
  const struct {
    const wchar_t* library;
    const char* exportName;
    bool loads, exportFound;
    DWORD error;
  } cases[] = {
      {L"version.dll", "GetFileVersionInfoSizeW", true, true, 0},
      {L"version.dll", "NoSuchExportAnywhere", true, false, 0},
      {L"no-such-library-anywhere.dll", "GetFileVersionInfoSizeW", false, false, ERROR_MOD_NOT_FOUND},
      {planted.c_str(), "GetFileVersionInfoSizeW", false, false, ERROR_MOD_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.exportName));
    SystemLibrary library(c.library);
    EXPECT_EQ(library.Module() != nullptr, c.loads);
    EXPECT_EQ(library.Function<decltype(&::GetFileVersionInfoSizeW)>(c.exportName) != nullptr, c.exportFound);
    EXPECT_EQ(library.LoadError(), c.error);
    if (c.loads) {
      EXPECT_EQ(library.Module(), ::GetModuleHandleW(c.library)) << "one module, loaded once";
    }
  }
  ::DeleteFileW(besideUs.c_str());
}

TEST(WtsBinding, RealLibrary) {
  WtsBinding wts;
  EXPECT_TRUE(wts.WTSAvailable());
  DWORD processSession = 0;
  ASSERT_TRUE(::ProcessIdToSessionId(::GetCurrentProcessId(), &processSession));
  EXPECT_EQ(wts.WTSGetActiveConsoleSessionId(), processSession);

  WtsMemory<WTS_PROCESS_INFOW> processes(wts);
  DWORD count = 0;
  ASSERT_TRUE(wts.WTSEnumerateProcessesW(WTS_CURRENT_SERVER_HANDLE, 0, 1, processes.put(), &count));
  bool self = false;
  for (DWORD i = 0; i < count; ++i) self |= processes.get()[i].ProcessId == ::GetCurrentProcessId();
  EXPECT_TRUE(self);

  HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(RegisterSessionNotifications(wts, window));
  UnregisterSessionNotifications(wts, window);
  ::DestroyWindow(window);
}

TEST(WtsBinding, MissingLibraryGivesNeutralResults) {
  WtsBinding wts(L"vantrel-no-such-wtsapi.dll", L"vantrel-no-such-kernel.dll");
  EXPECT_FALSE(wts.WTSAvailable());
  PWTS_SESSION_INFOW sessions = nullptr;
  DWORD count = 77;
  EXPECT_FALSE(wts.WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count));
  EXPECT_EQ(sessions, nullptr);
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  EXPECT_FALSE(wts.WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSUserName, &buffer,
                                               &bytes));
  EXPECT_FALSE(wts.WTSTerminateProcess(WTS_CURRENT_SERVER_HANDLE, 1, 0));
  EXPECT_FALSE(wts.WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, FALSE));
  EXPECT_EQ(wts.WTSGetActiveConsoleSessionId(), kNoConsoleSession);
  wts.WTSFreeMemory(nullptr);
  ::SetLastError(RPC_S_INVALID_BINDING);
  EXPECT_FALSE(wts.WTSRegisterSessionNotification(nullptr, NOTIFY_FOR_ALL_SESSIONS));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));  // ends the caller's retries
  const DWORD start = ::GetTickCount();
  EXPECT_FALSE(RegisterSessionNotifications(wts, nullptr));
  EXPECT_LT(::GetTickCount() - start, 100u);  // no pause taken: one attempt only
  // Without the console call, the session logic falls back to the enumerated sessions, then to 0.
  EXPECT_EQ(GetConsoleSessionId(wts), 0);
  DWORD own = 0;
  ::ProcessIdToSessionId(::GetCurrentProcessId(), &own);
  EXPECT_EQ(GetCurrentSessionId(wts), static_cast<int>(own));
}

// Terminal services as a real server would answer; Wine only stubs most of these.
class FakeWts final : public IWtsApi {
 public:
  struct Session {
    DWORD id;
    const wchar_t* station;
  };
  std::vector<Session> sessions;
  DWORD console = kNoConsoleSession;
  int registerFailures = 0;  // answers 1702 this many times, then succeeds
  int registerCalls = 0;
  DWORD sessionIdAnswer = 0;
  bool answerSessionId = false;
  std::wstring user, domain;
  int allocations = 0;

  bool WTSAvailable() const override { return true; }
  BOOL WTSEnumerateSessionsW(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW* out, DWORD* count) override {
    auto* array = static_cast<WTS_SESSION_INFOW*>(Alloc(sizeof(WTS_SESSION_INFOW) * (sessions.size() + 1)));
    for (size_t i = 0; i < sessions.size(); ++i)
      array[i] = {sessions[i].id, const_cast<LPWSTR>(sessions[i].station), WTSActive};
    *out = array;
    *count = static_cast<DWORD>(sessions.size());
    return TRUE;
  }
  BOOL WTSEnumerateProcessesW(HANDLE, DWORD, DWORD, PWTS_PROCESS_INFOW*, DWORD*) override { return FALSE; }
  BOOL WTSEnumerateProcessesExW(HANDLE, DWORD*, DWORD, LPWSTR*, DWORD*) override { return FALSE; }
  BOOL WTSTerminateProcess(HANDLE, DWORD, DWORD) override { return FALSE; }
  BOOL WTSQuerySessionInformationW(HANDLE, DWORD, WTS_INFO_CLASS infoClass, LPWSTR* buffer, DWORD* bytes) override {
    if (infoClass == WTSSessionId && answerSessionId) {
      auto* id = static_cast<DWORD*>(Alloc(sizeof(DWORD)));
      *id = sessionIdAnswer;
      *buffer = reinterpret_cast<LPWSTR>(id);
      *bytes = sizeof(DWORD);
      return TRUE;
    }
    const std::wstring* text = infoClass == WTSUserName ? &user : infoClass == WTSDomainName ? &domain : nullptr;
    if (!text) return FALSE;
    auto* copy = static_cast<wchar_t*>(Alloc((text->size() + 1) * sizeof(wchar_t)));
    wcscpy(copy, text->c_str());
    *buffer = copy;
    *bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
    return TRUE;
  }
  DWORD WTSGetActiveConsoleSessionId() override { return console; }
  BOOL WTSSendMessageW(HANDLE, DWORD, LPWSTR, DWORD, LPWSTR, DWORD, DWORD, DWORD, DWORD*, BOOL) override {
    return FALSE;
  }
  BOOL WTSDisconnectSession(HANDLE, DWORD, BOOL) override { return FALSE; }
  BOOL WTSLogoffSession(HANDLE, DWORD, BOOL) override { return FALSE; }
  void WTSFreeMemory(PVOID p) override {
    if (p) --allocations;
    std::free(p);
  }
  void WTSFreeMemoryEx(int, PVOID p, ULONG) override { WTSFreeMemory(p); }
  BOOL WTSRegisterSessionNotification(HWND, DWORD) override {
    ++registerCalls;
    if (registerFailures-- > 0) {
      ::SetLastError(RPC_S_INVALID_BINDING);
      return FALSE;
    }
    return TRUE;
  }
  BOOL WTSUnRegisterSessionNotification(HWND) override { return TRUE; }

 private:
  void* Alloc(size_t n) {
    ++allocations;
    return std::calloc(1, n);
  }
};

TEST(SessionLogic, RegistrationRetriesAreBounded) {
  FakeWts late;
  late.registerFailures = 2;
  EXPECT_TRUE(RegisterSessionNotifications(late, nullptr, 10, 0));
  EXPECT_EQ(late.registerCalls, 3);

  FakeWts never;
  never.registerFailures = 1000;
  EXPECT_FALSE(RegisterSessionNotifications(never, nullptr, 10, 0));
  EXPECT_EQ(never.registerCalls, 10);
}

TEST(SessionLogic, ConsoleAndCurrentSession) {
  FakeWts wts;
  wts.console = 2;
  EXPECT_EQ(GetConsoleSessionId(wts), 2);
  wts.console = kNoConsoleSession;
  wts.sessions = {{0, L"Services"}, {5, L"RDP-Tcp#3"}, {3, L"console"}};
  EXPECT_EQ(GetConsoleSessionId(wts), 3);
  wts.sessions = {{0, L"Services"}};
  EXPECT_EQ(GetConsoleSessionId(wts), 0);

  wts.answerSessionId = true;
  wts.sessionIdAnswer = 7;
  EXPECT_EQ(GetCurrentSessionId(wts), 7);
  EXPECT_EQ(wts.allocations, 0);  // every buffer handed out was released
}

TEST(SessionLogic, LoggedUserFromTheSession) {
  FakeWts wts;
  wts.user = L"alice";
  wts.domain = L"";  // no domain: the workgroup decides, and a workgroup account keeps its bare name
  std::wstring user;
  GetLoggedUser(wts, 1, user);
  EXPECT_EQ(user, L"alice");
  EXPECT_EQ(wts.allocations, 0);

  // No user from the terminal services: the owner of the session's shell, else the user running the program.
  wts.user.clear();
  GetLoggedUser(wts, -1, user);
  EXPECT_EQ(user, GetCurrentUserName());
}

TEST(ConnectState, NamesAndOutOfRange) {
  EXPECT_STREQ(WTSConnectStateNames[0], L"WTSActive");
  EXPECT_EQ(ConnectStateText(4), L"Disconnected");
  EXPECT_EQ(ConnectStateText(9), L"Init");
  EXPECT_EQ(ConnectStateText(12), L"12");
  EXPECT_EQ(ConnectStateText(-1), L"-1");
}

}  // namespace
}  // namespace vantrel
