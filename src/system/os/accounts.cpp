#include "system/os/accounts.h"

#include <lm.h>
#include <algorithm>
#include <cstring>
#include <psapi.h>
#include <tlhelp32.h>

#include <vector>

#include "core/os/ascii.h"
#include "system/os/native_api.h"
#include "system/os/registry.h"
#include "system/os/system_facts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

constexpr ULONG kSystemProcessInformation = 5;
constexpr ULONG kDebugPrivilege = 20;

bool OpenOwnToken(DWORD access, win::UniqueHandle& token) {
  if (::OpenThreadToken(::GetCurrentThread(), access, TRUE, token.put())) return true;
  if (::GetLastError() != ERROR_NO_TOKEN) return false;
  return ::OpenProcessToken(::GetCurrentProcess(), access, token.put()) != FALSE;
}

// Token information of any size: asks for the size first.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass) {
  DWORD size = 0;
  ::GetTokenInformation(token, infoClass, nullptr, 0, &size);
  if (size == 0 || size > (1u << 20)) return {};
  std::vector<BYTE> buffer(size);
  if (!::GetTokenInformation(token, infoClass, buffer.data(), size, &size)) return {};
  return buffer;
}

bool LookupSid(PSID sid, const wchar_t* systemName, std::wstring& name, std::wstring& domain) {
  SidLookupResult r = LookupSidAccount(sid, systemName ? systemName : L"");
  if (r.Outcome != SidLookupOutcome::Found) return false;
  name = std::move(r.Name);
  domain = std::move(r.Domain);
  return true;
}

struct WtsText {
  bool ok = false;
  std::wstring text;
};

WtsText QuerySessionText(IWtsApi& wts, DWORD sessionId, WTS_INFO_CLASS infoClass) {
  WtsMemory<wchar_t> buffer(wts);
  DWORD bytes = 0;
  WtsText r;
  if (wts.WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, sessionId, infoClass, buffer.put(), &bytes) &&
      buffer.get()) {
    r.ok = true;
    r.text.assign(buffer.get(), wcsnlen(buffer.get(), bytes / sizeof(wchar_t)));
  }
  return r;
}

bool SameFileName(const std::wstring& path, const std::wstring& name) {
  const size_t slash = path.find_last_of(L"\\/");
  return detail::EqualsNoCase(slash == std::wstring::npos ? path : path.substr(slash + 1), name);
}

int SessionOf(DWORD processId) {
  DWORD session = 0;
  const auto f = SystemEntryPoints().ProcessIdToSessionId;
  return f && f(processId, &session) ? static_cast<int>(session) : -1;
}

// The system process list through the native query: sizes in bytes, a bounded number of growth steps.
int FindInNativeProcessList(const std::wstring& name, int sessionId) {
  const auto query = NativeApi().NtQuerySystemInformation;
  if (!query) return -1;
  constexpr size_t kCap = 64u << 20;
  std::vector<BYTE> buffer(256u << 10);
  ULONG returned = 0;
  NtStatus status = kStatusInfoLengthMismatch;
  for (int attempt = 0; attempt < 8; ++attempt) {
    status = query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &returned);
    if (status != kStatusInfoLengthMismatch && status != kStatusBufferOverflow) break;
    const size_t wanted = std::max<size_t>(buffer.size() * 2, returned + returned / 4);
    if (buffer.size() >= kCap) break;
    buffer.assign(std::min(wanted, kCap), 0);
  }
  if (status != kStatusSuccess) return -1;
  const size_t pidOffset = sizeof(void*) == 8 ? 0x50 : 0x44;
  const size_t sessionOffset = sizeof(void*) == 8 ? 0x64 : 0x50;
  const size_t used = std::min<size_t>(returned ? returned : buffer.size(), buffer.size());
  for (size_t offset = 0; offset + sessionOffset + 4 <= used;) {
    const BYTE* entry = buffer.data() + offset;
    ULONG next = 0, session = 0;
    ULONG_PTR pid = 0;
    memcpy(&next, entry, sizeof next);
    memcpy(&pid, entry + pidOffset, sizeof pid);
    memcpy(&session, entry + sessionOffset, sizeof session);
    const DWORD id = static_cast<DWORD>(pid);
    if (static_cast<int>(session) == sessionId &&
        (detail::EqualsNoCase(GetProcessBaseName(id), name) || detail::EqualsNoCase(GetProcessFileName(id), name)))
      return static_cast<int>(id);
    if (next == 0) break;
    offset += next;
  }
  return -1;
}

}  // namespace

std::wstring GetCurrentUserName() {
  wchar_t buf[256] = {};
  DWORD size = 255;
  return ::GetUserNameW(buf, &size) ? std::wstring(buf) : std::wstring();
}

bool IsAdmin() {
  win::UniqueHandle token;
  if (!OpenOwnToken(TOKEN_QUERY, token)) return false;
  const std::vector<BYTE> buffer = TokenInformation(token.get(), TokenGroups);
  token.reset();
  if (buffer.size() < sizeof(TOKEN_GROUPS)) return false;
  BYTE adminSid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof adminSid;
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, adminSid, &sidSize)) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if (::EqualSid(groups->Groups[i].Sid, adminSid)) return true;
  return false;
}

bool IsElevated() {
  win::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

std::wstring SIDToText(PSID sid) {
  if (!sid || !::IsValidSid(sid)) return {};
  return SIDToText(static_cast<const uint8_t*>(sid), ::GetLengthSid(sid));
}

bool GetProcessUserName(HANDLE process, std::wstring& user, std::wstring& domain) {
  user.clear();
  domain.clear();
  win::UniqueHandle token;
  if (!::OpenProcessToken(process, TOKEN_QUERY, token.put())) return false;
  alignas(8) BYTE buffer[4096];
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size)) return false;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
  if (!LookupSid(sid, nullptr, user, domain)) {
    user = SIDToText(sid);
    domain.clear();
  }
  return true;
}

std::wstring GetAccountSID(const std::wstring& systemName, const std::wstring& accountName) {
  const wchar_t* system = systemName.empty() ? nullptr : systemName.c_str();
  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use;
  ::LookupAccountNameW(system, accountName.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
  if (sidSize == 0 || sidSize > SECURITY_MAX_SID_SIZE * 4 || domainSize > 4096) return {};
  std::vector<BYTE> sid(sidSize);
  std::wstring domain(domainSize + 1, L'\0');
  if (!::LookupAccountNameW(system, accountName.c_str(), sid.data(), &sidSize, domain.data(), &domainSize, &use))
    return {};
  return SIDToText(static_cast<PSID>(sid.data()));
}

SidLookupResult LookupSidAccount(PSID sid, const std::wstring& systemName) {
  SidLookupResult result;
  if (!sid || !::IsValidSid(sid)) return result;
  const wchar_t* system = systemName.empty() ? nullptr : systemName.c_str();
  DWORD nameLen = 256, domainLen = 256;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::wstring name(nameLen, L'\0'), domain(domainLen, L'\0');
    SID_NAME_USE use;
    if (::LookupAccountSidW(system, sid, name.data(), &nameLen, domain.data(), &domainLen, &use)) {
      result.Name.assign(name.c_str());
      result.Domain.assign(domain.c_str());
      result.Outcome = result.Name.empty() ? SidLookupOutcome::NoneMapped : SidLookupOutcome::Found;
      return result;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_NONE_MAPPED) {
      result.Outcome = SidLookupOutcome::NoneMapped;
      return result;
    }
    // Repeating a lookup that failed for another reason gives the same answer later, not now.
    if (error != ERROR_INSUFFICIENT_BUFFER || nameLen > 32768 || domainLen > 32768) break;
  }
  return result;
}

std::wstring GetSIDAccountName(PSID sid, const std::wstring& systemName) {
  std::wstring name, domain;
  LookupSid(sid, systemName.empty() ? nullptr : systemName.c_str(), name, domain);
  return name;
}

std::wstring GetProcessBaseName(DWORD processId) {
  win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return {};
  wchar_t buf[MAX_PATH];
  const DWORD n = ::GetModuleBaseNameW(process.get(), nullptr, buf, MAX_PATH);
  return std::wstring(buf, n);
}

std::wstring GetProcessFileName(DWORD processId) {
  win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return {};
  wchar_t buf[MAX_PATH];
  const DWORD n = ::GetModuleFileNameExW(process.get(), nullptr, buf, MAX_PATH);
  return std::wstring(buf, n);
}

int FindProcessInSession(const std::wstring& name, int& sessionId) {
  if (sessionId == -1) sessionId = SessionOf(::GetCurrentProcessId());
  if (SystemFacts().OS > OsKind::Win2000) {
    win::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (snapshot && ::Process32FirstW(snapshot.get(), &entry)) {
      do {
        if (SameFileName(entry.szExeFile, name) ||
            detail::EqualsNoCase(GetProcessFileName(entry.th32ProcessID), name)) {
          const int session = SessionOf(entry.th32ProcessID);
          if (session >= 0 && session == sessionId) return static_cast<int>(entry.th32ProcessID);
        }
      } while (::Process32NextW(snapshot.get(), &entry));
    }
  }
  return FindInNativeProcessList(name, sessionId);
}

int GetCurrentSessionId(IWtsApi& wts) {
  WtsMemory<DWORD> buffer(wts);
  DWORD bytes = 0;
  if (wts.WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSSessionId,
                                      reinterpret_cast<LPWSTR*>(buffer.put()), &bytes) &&
      buffer.get() && bytes >= sizeof(DWORD))
    return static_cast<int>(*buffer.get());
  return SessionOf(::GetCurrentProcessId());
}

int GetCurrentSessionId() { return GetCurrentSessionId(WtsApi()); }

int GetConsoleSessionId(IWtsApi& wts) {
  const DWORD id = wts.WTSGetActiveConsoleSessionId();
  if (id != kNoConsoleSession) return static_cast<int>(id);
  // Systems without the call: the session whose window station is the console.
  WtsMemory<WTS_SESSION_INFOW> sessions(wts);
  DWORD count = 0;
  if (wts.WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, sessions.put(), &count) && sessions.get()) {
    for (DWORD i = 0; i < count; ++i) {
      const WTS_SESSION_INFOW& s = sessions.get()[i];
      if (s.pWinStationName && detail::EqualsNoCase(s.pWinStationName, L"Console"))
        return static_cast<int>(s.SessionId);
    }
  }
  return 0;
}

int GetConsoleSessionId() { return GetConsoleSessionId(WtsApi()); }

void GetLoggedUser(IWtsApi& wts, int sessionId, std::wstring& user) {
  user.clear();
  std::wstring domain;
  if (SystemFacts().IsNT) {
    if (wts.WTSAvailable()) {
      user = QuerySessionText(wts, static_cast<DWORD>(sessionId), WTSUserName).text;
      domain = QuerySessionText(wts, static_cast<DWORD>(sessionId), WTSDomainName).text;
    }
    if (user.empty()) {
      int session = sessionId;
      if (session == -1) session = IsRemoteSession() ? GetCurrentSessionId(wts) : GetConsoleSessionId(wts);
      if (session == -1) session = SystemFacts().OSVersionInfo.dwMajorVersion >= 6 ? 1 : 0;
      const int pid = FindProcessInSession(L"explorer.exe", session);
      if (pid >= 0) {
        win::UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, static_cast<DWORD>(pid)));
        if (process) GetProcessUserName(process.get(), user, domain);
      }
    }
  }
  if (user.empty()) user = GetCurrentUserName();
  if (domain.empty()) domain = GetWorkgroupName(L"");
  if (WantsDomainQualifiedName(user, domain, SystemFacts().MachineName)) {
    const std::wstring qualified = user + L"@" + domain;
    if (GetAccountSID(L"", qualified).starts_with(L"S-")) user = qualified;
  }
}

void GetLoggedUser(int sessionId, std::wstring& user) { GetLoggedUser(WtsApi(), sessionId, user); }

std::wstring GetWorkgroupName(const std::wstring& serverName) {
  using GetInfoFn = NET_API_STATUS(WINAPI*)(LPWSTR, DWORD, LPBYTE*);
  using FreeFn = NET_API_STATUS(WINAPI*)(LPVOID);
  // Never unloaded: a worker may still be in NetWkstaGetInfo while the program ends.
  struct NetApi {
    GetInfoFn getInfo = nullptr;
    FreeFn free = nullptr;
    NetApi() {
      HMODULE m = ::GetModuleHandleW(L"netapi32.dll");
      if (!m) m = ::LoadLibraryExW(L"netapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
      if (!m) return;
      getInfo = reinterpret_cast<GetInfoFn>(reinterpret_cast<void*>(::GetProcAddress(m, "NetWkstaGetInfo")));
      free = reinterpret_cast<FreeFn>(reinterpret_cast<void*>(::GetProcAddress(m, "NetApiBufferFree")));
    }
  };
  static NetApi net;
  if (!net.getInfo || !net.free) return {};
  std::wstring server = detail::Trim(serverName);
  if (server.empty()) server = L"\\\\.";
  else if (server.find(L"\\\\") == std::wstring::npos) server = L"\\\\" + server;
  const bool local = server == L"\\\\.";
  LPBYTE buffer = nullptr;
  std::wstring result;
  if (net.getInfo(local ? nullptr : server.data(), 100, &buffer) == NERR_Success && buffer) {
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    if (info->wki100_langroup) result = detail::ToUpper(info->wki100_langroup);
  }
  if (buffer) net.free(buffer);
  return result;
}

bool EnableDebugPrivilege() {
  win::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) return false;
  if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr)) return false;
  // TRUE with ERROR_NOT_ALL_ASSIGNED means the account does not hold the privilege: nothing was enabled.
  return ::GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

bool AdjustDebugPrivilege() {
  const auto adjust = NativeApi().RtlAdjustPrivilege;
  if (!adjust) return false;
  BOOLEAN wasEnabled = FALSE;
  return adjust(kDebugPrivilege, TRUE, FALSE, &wasEnabled) == kStatusSuccess;
}

bool IsRemoteSession() { return ::GetSystemMetrics(SM_REMOTESESSION) > 0; }

SessionFacts ReadSessionFacts() {
  SessionFacts facts;
  auto readEnum = [](const wchar_t* path) {
    std::vector<EnumKey> keys;
    RegistryKey root;
    if (!root.OpenKeyReadOnly(HKEY_LOCAL_MACHINE, path)) return keys;
    for (const std::wstring& name : root.SubKeyNames()) {
      RegistryKey sub;
      keys.push_back({name, sub.OpenKeyReadOnly(root.Key(), name) && sub.HasSubKeys()});
    }
    return keys;
  };
  facts.IdeKeys = readEnum(L"SYSTEM\\CurrentControlSet\\Enum\\IDE");
  SessionFacts ideOnly;
  ideOnly.IdeKeys = facts.IdeKeys;
  if ((DecideSessionTypes(ideOnly) & ~SessionTypeBit(SessionType::Local)) == 0)
    facts.ScsiKeys = readEnum(L"SYSTEM\\CurrentControlSet\\Enum\\SCSI");
  RegistryKey winlogon;
  if (winlogon.OpenKeyReadOnly(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"))
    facts.GinaDll = winlogon.ReadString(L"GinaDLL");
  RegistryKey citrix;
  facts.CitrixConnectionKey =
      citrix.OpenKeyReadOnly(HKEY_CURRENT_USER, L"Software\\Citrix\\GoToAssist\\ConnectionInfo\\LastGood\\0000");
  facts.RemoteSession = IsRemoteSession();
  return facts;
}

SessionTypes GetSessionType() { return DecideSessionTypes(ReadSessionFacts()); }

}  // namespace vantrel
