// A bounded loop over an enumeration call that continues from a resume point and may ask for a bigger buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vantrel {

struct TEnumerationCall {
  bool Ok = false;        // the call returned the last entries
  bool MoreData = false;  // it failed because more entries remain
  uint32_t Returned = 0;  // entries in the buffer
  uint32_t BytesNeeded = 0;
};

enum class TEnumerationEnd { Complete, Failed, Stalled, CallLimit };

struct TEnumerationLimits {
  size_t InitialBytes = 18432;
  size_t MaxBytes = 1 << 20;
  int MaxCalls = 4096;
};

// call fills the buffer from the current resume point; batch receives the buffer and the count of each call that
// returned entries. A call that returns no entries while more remain gets the buffer grown once to the bytes it
// needs (capped); when that does not help either, the loop ends as Stalled instead of spinning.
TEnumerationEnd RunBoundedEnumeration(const TEnumerationLimits& limits,
                                      const std::function<TEnumerationCall(std::vector<uint8_t>&)>& call,
                                      const std::function<void(const std::vector<uint8_t>&, uint32_t)>& batch);

}  // namespace vantrel
