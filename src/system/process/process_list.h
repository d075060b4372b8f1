// The list of running processes with their counters, from one native SystemProcessInformation query (or, where
// that query is missing, a Toolhelp walk, which has no counters). Both keep the system's order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/process/process_record.h"

namespace vantrel {

struct ProcessListEntry {
  uint32_t PID = 0;
  uint32_t PPID = 0;
  std::wstring ExeFile;  // as the source names it; ProcessDisplayName makes the shown name
  int32_t Priority = 0;
  int32_t ThreadCount = 0;
  bool HaveSession = false;
  int32_t Session = 0;
  // Only the native query gives these.
  bool HaveCounters = false;
  int32_t HandleCount = 0;
  VmCounters VMCounters;
  IoCountersEx IOCounters;
  ProcessTimes CPUTimes;
};

enum class ProcessListSource { Native, Toolhelp };

// Reads the list; the native query's buffer is kept between reads, sized by the last need.
class ProcessListReader {
 public:
  // The native query when it answers, else the Toolhelp walk. Empty when both fail.
  std::vector<ProcessListEntry> Read();
  // One source only (tests compare them).
  std::vector<ProcessListEntry> Read(ProcessListSource source);
  ProcessListSource LastSource() const { return lastSource_; }

 private:
  bool ReadNative(std::vector<ProcessListEntry>& entries);
  static bool ReadToolhelp(std::vector<ProcessListEntry>& entries);

  std::vector<uint8_t> buffer_;
  ProcessListSource lastSource_ = ProcessListSource::Native;
};

// Whether the PID still names the process created at createTime (100-ns file time), from the native list: no
// handle needed. False when the time is unknown (0) or the list cannot be read.
bool ProcessListedWithCreateTime(uint32_t pid, uint64_t createTime);

}  // namespace vantrel
