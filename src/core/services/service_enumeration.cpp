#include "core/services/service_enumeration.h"

#include <algorithm>

namespace vantrel {

EnumerationEnd RunBoundedEnumeration(const EnumerationLimits& limits,
                                     const std::function<EnumerationCall(std::vector<uint8_t>&)>& call,
                                     const std::function<void(const std::vector<uint8_t>&, uint32_t)>& batch) {
  std::vector<uint8_t> buffer(std::min(limits.InitialBytes, limits.MaxBytes));
  bool grown = false;
  for (int i = 0; i < limits.MaxCalls; ++i) {
    const EnumerationCall r = call(buffer);
    if (r.Ok) {
      if (r.Returned > 0) batch(buffer, r.Returned);
      return EnumerationEnd::Complete;
    }
    if (!r.MoreData) return EnumerationEnd::Failed;
    if (r.Returned > 0 && r.Advanced) {
      batch(buffer, r.Returned);
      continue;
    }
    // No progress: one bigger buffer, and only when it is really bigger. The count of bytes needed may or may not
    // include what this call returned, so the buffer grows by it.
    const size_t wanted = std::min<size_t>(buffer.size() + r.BytesNeeded, limits.MaxBytes);
    if (grown || wanted <= buffer.size()) return EnumerationEnd::Stalled;
    buffer.assign(wanted, 0);
    grown = true;
  }
  return EnumerationEnd::CallLimit;
}

}  // namespace vantrel
