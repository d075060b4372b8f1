// CPU load per logical processor from two samples of the kernel's per-processor times (100-ns units). The load is
// the busy share of the time that really passed on that processor: 1 - idle growth / (kernel + user) growth, from
// the same record (kernel time includes idle time), so a late tick is still measured right.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel {

struct ProcessorTimes {
  int64_t IdleTime = 0;
  int64_t KernelTime = 0;  // includes IdleTime
  int64_t UserTime = 0;
};

// Round to nearest, ties to even (the rounding of every percentage here).
int32_t RoundHalfEven(double value);

// The load of one processor over two samples, 0..100; -1 when no time passed between them (nothing to measure).
int32_t ProcessorLoad(const ProcessorTimes& before, const ProcessorTimes& after);

// The average of the loads, rounded half to even, summed in 64 bits; 0 for no loads.
int32_t AverageLoad(const std::vector<int32_t>& loads);

// Keeps the previous sample and the latest loads of a fixed number of processors. Sized once; Update never
// allocates.
class CpuLoadMeter {
 public:
  explicit CpuLoadMeter(uint32_t cpuCount);

  uint32_t CPUCount() const { return static_cast<uint32_t>(usages_.size()); }
  // Takes a baseline without computing loads (the first tick then measures exactly one interval).
  void SetBaseline(const ProcessorTimes* samples, size_t count);
  // A new sample of `count` records (extra records are ignored, missing ones keep their previous load). A failed
  // query (ok false) keeps the previous sample and the previous loads. A processor whose times did not move keeps
  // its previous load.
  void Update(const ProcessorTimes* samples, size_t count, bool ok);

  const std::vector<int32_t>& Usages() const { return usages_; }
  int32_t Average() const { return AverageLoad(usages_); }

 private:
  std::vector<ProcessorTimes> last_;
  std::vector<int32_t> usages_;
  bool haveBaseline_ = false;
};

}  // namespace vantrel
