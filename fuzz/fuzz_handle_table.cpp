// The system handle table in both layouts and bitnesses on arbitrary bytes: never reads outside the buffer, never
// claims more entries than fit, and the buffer growth always grows or gives up within its cap.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/handles/handle_records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  std::vector<uint8_t> copy(data + 1, data + size);  // exact-size heap block so that over-reads are caught
  const auto layout = (mode & 1) ? vantrel::HandleTableLayout::Legacy : vantrel::HandleTableLayout::Extended;
  const bool is64 = (mode & 2) != 0;
  std::vector<vantrel::HandleTableEntry> entries(3);
  const bool ok = vantrel::ParseHandleTable(copy.data(), copy.size(), layout, is64, entries);
  if (!ok && !entries.empty()) __builtin_trap();
  const size_t smallest = layout == vantrel::HandleTableLayout::Extended ? (is64 ? 40 : 28) : 16;
  if (entries.size() > copy.size() / smallest) __builtin_trap();
  for (const auto& e : entries)
    if (layout == vantrel::HandleTableLayout::Legacy && (e.PID > 0xFFFF || e.Handle > 0xFFFF || e.TypeIndex > 0xFF))
      __builtin_trap();

  if (copy.size() >= 16) {
    uint64_t current = 0, reported = 0;
    std::memcpy(&current, copy.data(), 8);
    std::memcpy(&reported, copy.data() + 8, 8);
    const size_t next = vantrel::NextHandleTableSize(static_cast<size_t>(current), static_cast<size_t>(reported));
    if (next > vantrel::kHandleTableMaxBytes) __builtin_trap();
    if (next != 0 && next <= static_cast<size_t>(current)) __builtin_trap();
  }
  return 0;
}
