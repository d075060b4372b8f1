// Version-resource parsing on arbitrary bytes: must never read outside the buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/version/version_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> copy(data, data + size);  // exact-size heap block so that over-reads are caught
  vantrel::VersionInfo info;
  info.FileName = L"f";
  const bool ok = vantrel::ParseVersionResource(copy.data(), copy.size(), info);
  if (info.FileName != L"f") __builtin_trap();
  if (ok == info.Version.empty()) __builtin_trap();
  return 0;
}
