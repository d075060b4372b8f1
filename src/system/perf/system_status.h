// What the performance page reads every second beside the processors: memory status and uptime.
#pragma once

#include <cstdint>

namespace vantrel {

struct MemoryStatus {
  uint32_t MemoryLoad = 0;                                                      // percent of physical memory in use
  uint64_t TotalPhys = 0, AvailPhys = 0, TotalPageFile = 0, AvailPageFile = 0;  // bytes
};

// GlobalMemoryStatusEx when the system has it, else GlobalMemoryStatus; false when the call failed.
bool ReadMemoryStatus(MemoryStatus& status);

// Milliseconds since the system started, from the 64-bit tick count where it exists (no wrap after 49.7 days).
uint64_t SystemUptimeMs();

}  // namespace vantrel
