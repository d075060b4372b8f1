// Processors beyond 64 live in further processor groups (Windows 7 and later). Counting, pinning and the
// topology records cover every group; the entry points are bound at run time, and a system without them is one
// group of the kernel's basic count.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/perf/cpu_topology.h"

namespace vantrel {

// Active logical processors of group 0, 1, ...; empty where the system has no groups.
std::vector<uint32_t> ActiveProcessorsPerGroup();

// Pins the calling thread to one logical processor, numbered across all groups (group 0's first), for its
// lifetime; the previous affinity comes back on destruction. Pinned() is false when the number is out of range
// or the system refused.
class ProcessorPin {
 public:
  explicit ProcessorPin(uint32_t processor);
  ~ProcessorPin();
  ProcessorPin(const ProcessorPin&) = delete;
  ProcessorPin& operator=(const ProcessorPin&) = delete;
  bool Pinned() const { return pinned_; }

 private:
  GROUP_AFFINITY previous_{};
  bool pinned_ = false;
  bool group_ = false;  // pinned with group affinity (else the thread's plain mask)
  DWORD_PTR previousMask_ = 0;
};

// GetLogicalProcessorInformationEx(RelationAll) parsed; not Valid() where the call is missing or fails.
CpuTopology ReadProcessorTopology();

// The native per-processor performance records of one group into `buffer`; false when the query failed.
// `returned` receives the bytes written.
bool QueryGroupProcessorRecords(uint16_t group, void* buffer, ULONG length, ULONG& returned);

}  // namespace vantrel
