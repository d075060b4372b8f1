#include "core/services/service_enumeration.h"

#include <algorithm>

namespace vantrel {

TEnumerationEnd RunBoundedEnumeration(const TEnumerationLimits& limits,
                                      const std::function<TEnumerationCall(std::vector<uint8_t>&)>& call,
                                      const std::function<void(const std::vector<uint8_t>&, uint32_t)>& batch) {
  std::vector<uint8_t> buffer(std::min(limits.InitialBytes, limits.MaxBytes));
  bool grown = false;
  for (int i = 0; i < limits.MaxCalls; ++i) {
    const TEnumerationCall r = call(buffer);
    if (r.Returned > 0) batch(buffer, r.Returned);
    if (r.Ok) return TEnumerationEnd::Complete;
    if (!r.MoreData) return TEnumerationEnd::Failed;
    if (r.Returned > 0) continue;
    // No progress: one bigger buffer, and only when it is really bigger.
    const size_t wanted = std::min<size_t>(r.BytesNeeded, limits.MaxBytes);
    if (grown || wanted <= buffer.size()) return TEnumerationEnd::Stalled;
    buffer.assign(wanted, 0);
    grown = true;
  }
  return TEnumerationEnd::CallLimit;
}

}  // namespace vantrel
