// The CPU identification's system side: runs CPUID pinned to one processor, reads the registry's processor description,
// and measures the clock against the performance counter at time-critical priority. The affinity and the priority are
// restored on every path (RAII), and decoding is left to core (DecodeCpuId).
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/perf/cpu_identification.h"

namespace vantrel {

// Pins the whole process to one processor for its lifetime, then restores the previous mask. A processor number
// outside 0..31, or at or above the system's count, pins to processor 0 (below 32) or does nothing (-1).
class AffinityPin {
 public:
  explicit AffinityPin(int processor);
  ~AffinityPin();
  AffinityPin(const AffinityPin&) = delete;
  AffinityPin& operator=(const AffinityPin&) = delete;
  bool Pinned() const { return changed_; }

 private:
  DWORD_PTR previous_ = 0;
  bool changed_ = false;
};

// Raises the calling thread's priority for its lifetime and puts the previous one back.
class ThreadPriorityScope {
 public:
  explicit ThreadPriorityScope(int priority);
  ~ThreadPriorityScope();
  ThreadPriorityScope(const ThreadPriorityScope&) = delete;
  ThreadPriorityScope& operator=(const ThreadPriorityScope&) = delete;

 private:
  int previous_;
};

// Whether this processor has CPUID (always on x64; the ID flag on x86).
bool CPUIDAvailable();
// Executes CPUID on a processor (-1: wherever the thread runs).
CpuIdRegs ExecCPUID(int processor, uint32_t leaf, uint32_t subleaf = 0);
// The leaves the decoder needs from processor `cpuIndex`, plus leaf 1 of every logical processor.
CpuIdDump ReadCpuIdDump(int cpuIndex, uint32_t cpuCount);
// The system's side of the facts (processor count, revision, registry description of processor cpuIndex).
CpuSystemFacts ReadCpuSystemFacts(int cpuIndex);
// The clock in MHz measured on processor cpuIndex; 0 without a performance counter or when no time passed.
uint32_t MeasureCPUFrequency(int cpuIndex);

// RefreshPages: the whole identification, clock included (about 3-20 ms of busy waiting per round, 3-20 rounds).
CpuInfo ReadCpuInfo(int cpuIndex = 0);

}  // namespace vantrel
