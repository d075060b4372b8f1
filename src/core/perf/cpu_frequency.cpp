#include "core/perf/cpu_frequency.h"

#include <algorithm>
#include <cstring>

#include "core/perf/cpu_load.h"

namespace vantrel {

bool ReadProcessorFrequencies(uint32_t processorCount, const PowerInformationQuery& query,
                              std::vector<ProcessorPowerInformation>& records) {
  uint32_t count = std::clamp<uint32_t>(processorCount, 1, kFrequencyMaxRecords);
  for (uint32_t attempt = 0;; ++attempt) {
    records.assign(count, ProcessorPowerInformation{});
    const int32_t status = query(records.data(), count * static_cast<uint32_t>(sizeof(ProcessorPowerInformation)));
    if (status == 0) break;
    if (status != kPowerStatusBufferTooSmall || attempt >= kFrequencyMaxRetries || count >= kFrequencyMaxRecords) {
      records.clear();
      return false;
    }
    count = std::min(count * 2, kFrequencyMaxRecords);
  }
  size_t used = records.size();
  while (used > 1 && records[used - 1].Number != used - 1) --used;
  records.resize(used);
  return true;
}

FrequencyInput FrequencyInputFor(uint32_t monitor, const std::vector<ProcessorPowerInformation>& records,
                                 uint32_t nominalMhz) {
  if (records.empty()) return {nominalMhz, nominalMhz};
  const auto& r = records[std::min<size_t>(monitor, records.size() - 1)];
  return {r.MaxMhz, r.CurrentMhz};
}

int32_t FrequencyScale::Percent(uint32_t mhz) const {
  const double p = static_cast<double>(mhz) / static_cast<double>(limit_) * 100.0;
  return std::clamp(RoundHalfEven(p), 0, 100);
}

}  // namespace vantrel
