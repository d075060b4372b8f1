// The per-process record of the process list, and of the session process list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/text/date_time.h"

namespace vantrel {

// Memory counters in bytes (the fault count excepted); 64-bit so that sizes above 4 GiB survive.
struct VmCounters {
  uint64_t PeakVirtualSize = 0;
  uint64_t VirtualSize = 0;
  uint64_t PageFaultCount = 0;
  uint64_t PeakWorkingSetSize = 0;
  uint64_t WorkingSetSize = 0;
  uint64_t QuotaPeakPagedPoolUsage = 0;
  uint64_t QuotaPagedPoolUsage = 0;
  uint64_t QuotaPeakNonPagedPoolUsage = 0;
  uint64_t QuotaNonPagedPoolUsage = 0;
  uint64_t PagefileUsage = 0;
  uint64_t PeakPagefileUsage = 0;
};

struct IoCountersEx {
  uint64_t ReadOperationCount = 0;
  uint64_t WriteOperationCount = 0;
  uint64_t OtherOperationCount = 0;
  uint64_t ReadTransferCount = 0;
  uint64_t WriteTransferCount = 0;
  uint64_t OtherTransferCount = 0;
};

// 100-ns counts; CreateTime and ExitTime are UTC file times.
struct ProcessTimes {
  uint64_t CreateTime = 0;
  uint64_t ExitTime = 0;
  uint64_t KernelTime = 0;
  uint64_t UserTime = 0;
};

struct ProcessRecord {
  uint32_t PID = 0;
  uint32_t PPID = 0;
  int32_t Session = 0;
  std::wstring Name;
  std::wstring ImageName;
  std::wstring Username;
  std::wstring Domain;
  std::wstring CommandLine;
  uint64_t WorkingSet = 0;
  uint64_t PeakWorkingSet = 0;
  bool IsAccessible = false;
  bool Is64bit = false;
  bool System = false;
  bool IsResponding = false;
  bool CanBeKilled = false;
  bool Critical = false;      // the system stops when it ends
  DateTime CreationTime = 0;  // local time
  int32_t ThreadCount = 0;
  int32_t WinCount = 0;
  int32_t HandleCount = 0;
  VmCounters VMCounters;
  IoCountersEx IOCounters;
  ProcessTimes CPUTimes;  // CreateTime is known from the first phase on when the system reports it
  int64_t Size = 0;
  int32_t Priority = 0;
  std::wstring Desc;
  std::wstring Company;
  std::wstring Version;
  std::wstring Copyright;
  int32_t ImageIndexValue = 0;
};

using ProcessRecords = std::vector<ProcessRecord>;

}  // namespace vantrel
