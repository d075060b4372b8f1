#include "system/perf/system_status.h"

#include <windows.h>

#include "system/os/system_facts.h"

namespace vantrel {

bool ReadMemoryStatus(MemoryStatus& status) {
  if (const auto ex = SystemEntryPoints().GlobalMemoryStatusEx) {
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof m;
    if (!ex(&m)) return false;
    status = {m.dwMemoryLoad, m.ullTotalPhys, m.ullAvailPhys, m.ullTotalPageFile, m.ullAvailPageFile};
    return true;
  }
  MEMORYSTATUS m{};
  m.dwLength = sizeof m;
  ::GlobalMemoryStatus(&m);
  status = {m.dwMemoryLoad, m.dwTotalPhys, m.dwAvailPhys, m.dwTotalPageFile, m.dwAvailPageFile};
  return true;
}

uint64_t SystemUptimeMs() {
  using TickCount64 = ULONGLONG(WINAPI*)();
  static const auto tick64 = reinterpret_cast<TickCount64>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  return tick64 ? tick64() : ::GetTickCount();
}

}  // namespace vantrel
