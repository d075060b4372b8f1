// The system facts: computed once at start, before any window exists, and only read afterwards.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <string>

#include "core/os/os_naming.h"
#include "core/paths/paths.h"
#include "core/version/version_info.h"

namespace vantrel {

struct SystemFactSheet {
  OSVERSIONINFOEXW OSVersionInfo{};
  OsKind OS = OsKind::Unknown;
  std::wstring OSName;
  std::wstring OSEdition;
  std::wstring OSCaption;
  std::wstring OSServicePack;
  std::wstring OSKernelVersion;
  std::wstring OSKernelName;
  bool OSCompatibilityMode = false;
  bool IsNT = false;
  bool IsWow64 = false;
  bool Is64BitOS = false;
  SYSTEM_INFO SystemInfo{};
  std::wstring MachineName;  // upper case
  std::wstring CurrentUserName;
  uint64_t TotalPhysicalMemory = 0;
  std::wstring ExeFileName;
  VersionInfo ExeVersionInfo;
  DriveLetterMap DriveMap;
};

// Optional entry points, null where the system lacks them.
struct SystemEntryPointTable {
  BOOL(WINAPI* SetProcessAffinityMask)(HANDLE, DWORD_PTR) = nullptr;
  void(WINAPI* GetNativeSystemInfo)(LPSYSTEM_INFO) = nullptr;  // GetSystemInfo where missing
  BOOL(WINAPI* IsWow64Process)(HANDLE, PBOOL) = nullptr;
  BOOL(WINAPI* ProcessIdToSessionId)(DWORD, DWORD*) = nullptr;
  BOOL(WINAPI* GetProductInfo)(DWORD, DWORD, DWORD, DWORD, PDWORD) = nullptr;
  BOOL(WINAPI* GlobalMemoryStatusEx)(LPMEMORYSTATUSEX) = nullptr;
  DWORD(WINAPI* GetLongPathNameW)(LPCWSTR, LPWSTR, DWORD) = nullptr;
  BOOL(WINAPI* QueryFullProcessImageNameW)(HANDLE, DWORD, LPWSTR, PDWORD) = nullptr;
  BOOL(WINAPI* LockWorkStation)() = nullptr;
  BOOL(WINAPI* GetProcessMemoryInfo)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD) = nullptr;
};

// The start-up step; a second call does nothing.
void InitSystemFacts();
// The facts (InitSystemFacts runs first if nobody called it yet).
const SystemFactSheet& SystemFacts();
// The workgroup or domain, upper case: asked of the workstation service (NetAPI32) on the first call, from any
// thread, so that a start that never shows it loads neither.
const std::wstring& MachineDomain();
// The performance page's tick renews the one fact that can change (memory can be added to a running virtual
// machine); window thread only, like every other reader of the facts after start.
void SetTotalPhysicalMemory(uint64_t bytes);
const SystemEntryPointTable& SystemEntryPoints();

// What the system reports now about its version (the input of the naming rules).
OsVersionFacts ReadOSVersionFacts(const OSVERSIONINFOEXW& version, const SYSTEM_INFO& systemInfo);
// The kernel file's version "a.b.c" (kernel32.dll of the system directory only), or empty.
std::wstring GetKernelVersion();

// Zeroed counters, filled when GetProcessMemoryInfo exists.
void GetProcessMemoryCounters(HANDLE process, PROCESS_MEMORY_COUNTERS& counters);

// The main window's session label from the facts and the session type.
std::wstring SessionLabel();

}  // namespace vantrel
