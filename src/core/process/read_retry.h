// When a read that failed is tried again: soon at first (a process that has just started may not have its command
// line yet), then less often, so that facts that cannot be read cost little on every refresh.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vantrel {

class ReadRetry {
 public:
  static constexpr uint64_t kFirstDelayMs = 1000;
  static constexpr uint64_t kLongestDelayMs = 60000;

  bool Due(uint64_t nowMs) const { return nowMs >= dueAtMs_; }
  // Doubles the delay from one second up to a minute.
  void Failed(uint64_t nowMs) {
    const uint64_t delay = failures_ >= 6 ? kLongestDelayMs : std::min(kFirstDelayMs << failures_, kLongestDelayMs);
    dueAtMs_ = nowMs + delay;
    ++failures_;
  }
  uint32_t Failures() const { return failures_; }

 private:
  uint64_t dueAtMs_ = 0;
  uint32_t failures_ = 0;
};

}  // namespace vantrel
