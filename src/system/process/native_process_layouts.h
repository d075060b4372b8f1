// The build's own layouts of the native process records that NTDLL fills.
#pragma once

#include <windows.h>

#include "core/process/process_record.h"

namespace vantrel {

struct NativeVmCounters {
  SIZE_T PeakVirtualSize, VirtualSize;
  ULONG PageFaultCount;
  SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage, QuotaPeakNonPagedPoolUsage,
      QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
};
struct NativeTimes {
  LARGE_INTEGER CreateTime, ExitTime, KernelTime, UserTime;
};
struct NativeCountedString {  // UNICODE_STRING
  USHORT Length, MaximumLength;
  PWSTR Buffer;
};
struct NativeBasicInformation {  // PROCESS_BASIC_INFORMATION
  LONG ExitStatus;
  PVOID PebBaseAddress;
  ULONG_PTR AffinityMask;
  LONG BasePriority;
  ULONG_PTR UniqueProcessId;
  ULONG_PTR InheritedFromUniqueProcessId;
};

inline VmCounters ToRecord(const NativeVmCounters& v) {
  return {v.PeakVirtualSize,        v.VirtualSize,
          v.PageFaultCount,         v.PeakWorkingSetSize,
          v.WorkingSetSize,         v.QuotaPeakPagedPoolUsage,
          v.QuotaPagedPoolUsage,    v.QuotaPeakNonPagedPoolUsage,
          v.QuotaNonPagedPoolUsage, v.PagefileUsage,
          v.PeakPagefileUsage};
}
inline IoCountersEx ToRecord(const IO_COUNTERS& io) {
  return {io.ReadOperationCount, io.WriteOperationCount, io.OtherOperationCount,
          io.ReadTransferCount,  io.WriteTransferCount,  io.OtherTransferCount};
}
inline uint64_t Ticks(const LARGE_INTEGER& v) { return static_cast<uint64_t>(v.QuadPart); }

}  // namespace vantrel
