#include "core/perf/cpu_load.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

int32_t RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  value = std::clamp(value, -2147483648.0, 2147483647.0);
  // nearbyint rounds in the default mode, to nearest with ties to even.
  return static_cast<int32_t>(std::nearbyint(value));
}

int32_t ProcessorLoad(const ProcessorTimes& before, const ProcessorTimes& after) {
  const double idle = static_cast<double>(after.IdleTime) - static_cast<double>(before.IdleTime);
  const double total = (static_cast<double>(after.KernelTime) - static_cast<double>(before.KernelTime)) +
                       (static_cast<double>(after.UserTime) - static_cast<double>(before.UserTime));
  if (!(total > 0)) return -1;
  const double load = std::clamp(100.0 * (1.0 - idle / total), 0.0, 100.0);
  return RoundHalfEven(load);
}

int32_t AverageLoad(const std::vector<int32_t>& loads) {
  if (loads.empty()) return 0;
  int64_t sum = 0;
  for (int32_t v : loads) sum += v;
  return RoundHalfEven(static_cast<double>(sum) / static_cast<double>(loads.size()));
}

CpuLoadMeter::CpuLoadMeter(uint32_t cpuCount) : last_(std::max<uint32_t>(cpuCount, 1)), usages_(last_.size()) {}

void CpuLoadMeter::SetBaseline(const ProcessorTimes* samples, size_t count) {
  const size_t n = std::min(count, last_.size());
  std::copy(samples, samples + n, last_.begin());
  haveBaseline_ = true;
}

void CpuLoadMeter::Update(const ProcessorTimes* samples, size_t count, bool ok) {
  if (!ok) return;
  const size_t n = std::min(count, last_.size());
  if (haveBaseline_) {
    for (size_t i = 0; i < n; ++i) {
      const int32_t load = ProcessorLoad(last_[i], samples[i]);
      if (load >= 0) usages_[i] = load;
    }
  }
  std::copy(samples, samples + n, last_.begin());
  haveBaseline_ = true;
}

}  // namespace vantrel
