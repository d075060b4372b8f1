// A bounded loop over an enumeration call that continues from a resume point and may ask for a bigger buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vantrel {

struct EnumerationCall {
  bool Ok = false;        // the call returned the last entries
  bool MoreData = false;  // it failed because more entries remain
  uint32_t Returned = 0;  // entries in the buffer
  uint32_t BytesNeeded = 0;
  bool Advanced = true;  // the resume point moved past the returned entries
};

enum class EnumerationEnd { Complete, Failed, Stalled, CallLimit };

struct EnumerationLimits {
  size_t InitialBytes = 18432;
  size_t MaxBytes = 1 << 20;
  int MaxCalls = 4096;
};

// call fills the buffer from the current resume point; batch receives the buffer and the count of each call that
// returned entries and made progress (or was the last). A call that makes no progress while more remain (no
// entries, or a resume point that did not move, as some implementations never move it) gets the buffer grown
// once to the bytes it needs (capped), and its entries are not passed on, so that none is seen twice; when that
// does not help either, the loop ends as Stalled instead of spinning.
EnumerationEnd RunBoundedEnumeration(const EnumerationLimits& limits,
                                     const std::function<EnumerationCall(std::vector<uint8_t>&)>& call,
                                     const std::function<void(const std::vector<uint8_t>&, uint32_t)>& batch);

}  // namespace vantrel
