// The top-level windows of one moment and the processes that own them; whether a process answers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/process/process_rules.h"
#include "system/process/process_list.h"
#include "system/process/responsiveness_probe.h"

namespace vantrel {

// Every top-level window with its process, in z-order.
std::vector<TopLevelWindow> EnumerateTopLevelWindows();

// The top-level windows of one moment, enumerated once and asked per process.
class TopLevelWindows {
 public:
  void Enumerate();
  int32_t WindowCount(uint32_t pid) const;
  // The window asked whether the process responds; 0 without windows.
  uint64_t Candidate(uint32_t pid) const;
  // Asks the candidate window and waits for the answer: for single questions, never for a refresh.
  bool IsResponding(uint32_t pid, UINT timeoutMs = kRespondTimeoutMs) const;

 private:
  std::unordered_map<uint32_t, ProcessWindows> map_;
};

// Each enumerates the windows anew and waits for the answer; a refresh uses its ResponsivenessProbe instead.
bool IsProcessResponding(uint32_t PID);
int32_t GetProcessWindowCount(uint32_t PID);

}  // namespace vantrel
