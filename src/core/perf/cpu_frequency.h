// The per-core clock figures: the bounded read of the power interface's per-processor records, and what each
// frequency monitor receives per tick (its record, or the nominal clock when there are no records).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace vantrel {

// The published PROCESSOR_POWER_INFORMATION record (24 bytes).
struct ProcessorPowerInformation {
  uint32_t Number = 0;
  uint32_t MaxMhz = 0;
  uint32_t CurrentMhz = 0;
  uint32_t MhzLimit = 0;
  uint32_t MaxIdleState = 0;
  uint32_t CurrentIdleState = 0;
};
static_assert(sizeof(ProcessorPowerInformation) == 24);

inline constexpr int32_t kPowerStatusBufferTooSmall = static_cast<int32_t>(0xC0000023u);
inline constexpr uint32_t kFrequencyMaxRetries = 8;
inline constexpr uint32_t kFrequencyMaxRecords = 4096;

// One call of the power interface into `bytes` bytes at `buffer`; answers the NTSTATUS.
using PowerInformationQuery = std::function<int32_t(void* buffer, uint32_t bytes)>;

// Reads the records into `records` (resized; its capacity is kept between calls). Starts with room for
// `processorCount` records and doubles only while the answer is "buffer too small", at most 8 times and never past
// 4,096 records; any other failure gives no records. Trailing records the system left untouched (their Number is
// not their position) are dropped. Returns whether records were read.
bool ReadProcessorFrequencies(uint32_t processorCount, const PowerInformationQuery& query,
                              std::vector<ProcessorPowerInformation>& records);

// What one frequency monitor receives on a tick.
struct FrequencyInput {
  uint32_t LimitMhz = 0;
  uint32_t CurrentMhz = 0;
};

// Monitor j takes record min(j, count - 1); without records every monitor takes the nominal clock as both.
FrequencyInput FrequencyInputFor(uint32_t monitor, const std::vector<ProcessorPowerInformation>& records,
                                 uint32_t nominalMhz);

// The frequency monitor's arithmetic: the limit (its 100 %) only rises, starting at 1.
class FrequencyScale {
 public:
  void SetLimits(uint32_t mhz) {
    if (limit_ < mhz) limit_ = mhz;
  }
  uint32_t Limit() const { return limit_; }
  // The percentage of the limit, rounded half to even and clamped to 0..100.
  int32_t Percent(uint32_t mhz) const;

 private:
  uint32_t limit_ = 1;
};

}  // namespace vantrel
