#include "system/os/system_facts.h"

#include "core/os/accounts.h"
#include "core/os/ascii.h"
#include "system/os/accounts.h"
#include "system/os/file_version.h"
#include "system/os/native_api.h"
#include "system/os/network.h"
#include "system/os/proc_address.h"
#include "system/os/registry.h"

namespace vantrel {
namespace {

SystemFactSheet& MutableFacts() {
  static SystemFactSheet facts;
  return facts;
}

SystemEntryPointTable& MutableEntryPoints() {
  static SystemEntryPointTable entryPoints;
  return entryPoints;
}

bool g_initialised = false;

HMODULE LoadedOrLoad(const wchar_t* name) {
  // Kept for the life of the process, like the system's own modules.
  if (HMODULE m = ::GetModuleHandleW(name)) return m;
  return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void ResolveEntryPoints(SystemEntryPointTable& e) {
  const HMODULE kernel = LoadedOrLoad(L"KERNEL32.DLL");
  Bind(kernel, e.SetProcessAffinityMask, "SetProcessAffinityMask");
  Bind(kernel, e.GetNativeSystemInfo, "GetNativeSystemInfo");
  if (!e.GetNativeSystemInfo) Bind(kernel, e.GetNativeSystemInfo, "GetSystemInfo");
  Bind(kernel, e.IsWow64Process, "IsWow64Process");
  Bind(kernel, e.ProcessIdToSessionId, "ProcessIdToSessionId");
  Bind(kernel, e.GetProductInfo, "GetProductInfo");
  Bind(kernel, e.GlobalMemoryStatusEx, "GlobalMemoryStatusEx");
  Bind(kernel, e.GetLongPathNameW, "GetLongPathNameW");
  Bind(kernel, e.QueryFullProcessImageNameW, "QueryFullProcessImageNameW");
  Bind(LoadedOrLoad(L"USER32.DLL"), e.LockWorkStation, "LockWorkStation");
  Bind(LoadedOrLoad(L"PSAPI.DLL"), e.GetProcessMemoryInfo, "GetProcessMemoryInfo");
  if (!e.GetProcessMemoryInfo) Bind(kernel, e.GetProcessMemoryInfo, "K32GetProcessMemoryInfo");
}

std::wstring ExeFileName() {
  std::wstring buf(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 6; ++attempt) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return buf.substr(0, n);
    buf.resize(buf.size() * 2);
  }
  return {};
}

}  // namespace

OsVersionFacts ReadOSVersionFacts(const OSVERSIONINFOEXW& v, const SYSTEM_INFO& si) {
  OsVersionFacts f;
  f.PlatformId = v.dwPlatformId;
  f.Major = v.dwMajorVersion;
  f.Minor = v.dwMinorVersion;
  f.Build = v.dwBuildNumber;
  f.CSDVersion = v.szCSDVersion;
  f.SPMajor = v.wServicePackMajor;
  f.SPMinor = v.wServicePackMinor;
  f.SuiteMask = v.wSuiteMask;
  f.ProductType = v.wProductType;
  f.ProcessorArchitecture = si.wProcessorArchitecture;
  f.ServerR2 = ::GetSystemMetrics(SM_SERVERR2);
  f.Starter = ::GetSystemMetrics(SM_STARTER);
  f.TabletPC = ::GetSystemMetrics(SM_TABLETPC);
  f.MediaCenter = ::GetSystemMetrics(SM_MEDIACENTER);
  const SystemEntryPointTable& e = SystemEntryPoints();
  DWORD product = 0;
  if (v.dwMajorVersion >= 6 && e.GetProductInfo &&
      e.GetProductInfo(v.dwMajorVersion, v.dwMinorVersion, v.wServicePackMajor, v.wServicePackMinor, &product))
    f.ProductInfo = product;
  if (v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion == 4) {
    RegistryKey reg;
    if (reg.OpenKeyReadOnly(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions"))
      f.Nt4ProductType = reg.ReadString(L"ProductType");
    if (reg.OpenKeyReadOnly(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009"))
      f.Nt4HotfixQ246009 = ReadRegValueAsText(reg, L"Installed") == L"1";
  }
  return f;
}

std::wstring GetKernelVersion() {
  // Only the system directory's file: a kernel32.dll in the current directory must not decide this.
  const std::wstring sysDir = GetSysDir();
  if (sysDir.empty()) return {};
  return KernelVersionText(GetFileVersion(sysDir + L"\\kernel32.dll"));
}

void InitSystemFacts() {
  if (g_initialised) return;
  g_initialised = true;
  SystemFactSheet& f = MutableFacts();
  SystemEntryPointTable& e = MutableEntryPoints();
  ResolveEntryPoints(e);
  LoadNativeAPI();

  BOOL wow64 = FALSE;
  f.IsWow64 = e.IsWow64Process && e.IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
  if (f.IsWow64 && e.GetNativeSystemInfo) e.GetNativeSystemInfo(&f.SystemInfo);
  else ::GetSystemInfo(&f.SystemInfo);

  OSVERSIONINFOW plain{};
  plain.dwOSVersionInfoSize = sizeof plain;
  if (::GetVersionExW(&plain)) {
    f.OSVersionInfo.dwMajorVersion = plain.dwMajorVersion;
    f.OSVersionInfo.dwMinorVersion = plain.dwMinorVersion;
    f.OSVersionInfo.dwBuildNumber = plain.dwBuildNumber;
    f.OSVersionInfo.dwPlatformId = plain.dwPlatformId;
    wcsncpy(f.OSVersionInfo.szCSDVersion, plain.szCSDVersion, 127);
    if (plain.dwMajorVersion >= 5) {
      OSVERSIONINFOEXW ex{};
      ex.dwOSVersionInfoSize = sizeof ex;
      if (::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex))) f.OSVersionInfo = ex;
    }
  }
  f.OSVersionInfo.dwOSVersionInfoSize = sizeof f.OSVersionInfo;

  const OsVersionFacts versionFacts = ReadOSVersionFacts(f.OSVersionInfo, f.SystemInfo);
  const OsName name = GetOSName(versionFacts);
  f.OSName = name.Name;
  f.OSEdition = name.Edition;
  f.OS = name.OS;
  f.Is64BitOS = name.Is64BitOS;
  f.IsNT = name.IsNT;
  wcsncpy(f.OSVersionInfo.szCSDVersion, name.CSDVersion.c_str(), 127);

  f.CurrentUserName = GetCurrentUserName();
  f.MachineName = detail::ToUpper(GetMachineName());

  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (e.GlobalMemoryStatusEx && e.GlobalMemoryStatusEx(&memory)) {
    f.TotalPhysicalMemory = memory.ullTotalPhys;
  } else {
    MEMORYSTATUS legacy{};
    legacy.dwLength = sizeof legacy;
    ::GlobalMemoryStatus(&legacy);
    f.TotalPhysicalMemory = legacy.dwTotalPhys;
  }

  f.ExeFileName = ExeFileName();
  GetFileVerInfo(f.ExeFileName, f.ExeVersionInfo);
  f.DriveMap = BuildDriveMap();

  f.OSServicePack = OSServicePackText(f.OSVersionInfo.wServicePackMajor, f.OSVersionInfo.wServicePackMinor);
  f.OSCaption =
      OSCaptionText(f.OSName, f.OSEdition, f.OSVersionInfo.wServicePackMajor, f.OSVersionInfo.wServicePackMinor);
  f.OSKernelVersion = GetKernelVersion();
  f.OSKernelName = KernelOSName(f.OSKernelVersion, versionFacts);
  f.OSCompatibilityMode = IsCompatibilityMode(f.OSVersionInfo.dwMajorVersion, f.OSVersionInfo.dwMinorVersion,
                                              f.OSVersionInfo.dwBuildNumber, f.OSKernelVersion);
}

const std::wstring& MachineDomain() {
  static const std::wstring domain = GetWorkgroupName(L"");
  return domain;
}

const SystemFactSheet& SystemFacts() {
  InitSystemFacts();
  return MutableFacts();
}

void SetTotalPhysicalMemory(uint64_t bytes) {
  InitSystemFacts();
  MutableFacts().TotalPhysicalMemory = bytes;
}

const SystemEntryPointTable& SystemEntryPoints() {
  if (!g_initialised) InitSystemFacts();
  return MutableEntryPoints();
}

void GetProcessMemoryCounters(HANDLE process, PROCESS_MEMORY_COUNTERS& counters) {
  counters = PROCESS_MEMORY_COUNTERS{};
  counters.cb = sizeof counters;
  if (const auto f = SystemEntryPoints().GetProcessMemoryInfo) f(process, &counters, sizeof counters);
}

std::wstring SessionLabel() {
  const SystemFactSheet& f = SystemFacts();
  return SessionLabelText(SessionTypeToStr(GetSessionType()), f.OSCompatibilityMode, f.OSKernelName, f.OSKernelVersion);
}

}  // namespace vantrel
