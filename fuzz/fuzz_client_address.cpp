// A session's client facts as the terminal services report them, on arbitrary bytes: the address field of any
// family and length, build numbers, display sizes and depth codes, states outside the table; and every cell text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/sessions/session_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 20) return 0;
  uint32_t family;
  std::memcpy(&family, data, 4);
  family %= 32;  // the families that matter are small numbers
  std::vector<uint8_t> address(data + 20, data + size);  // exact-size heap block so that over-reads are caught
  const std::wstring text = vantrel::ClientAddressText(family, address.data(), address.size());
  if (family == 2 && address.size() >= 6) {
    const std::wstring expected = std::to_wstring(address[2]) + L"." + std::to_wstring(address[3]) + L"." +
                                  std::to_wstring(address[4]) + L"." + std::to_wstring(address[5]);
    if (text != expected) __builtin_trap();
  } else if (!text.empty()) {
    __builtin_trap();
  }

  vantrel::SessionRecord record;
  int32_t numbers[4];
  std::memcpy(numbers, data + 4, sizeof numbers);
  record.ClientBuildNumber = numbers[0];
  record.ClientDisplayWidth = numbers[1];
  record.ClientDisplayHeight = numbers[2];
  record.ClientDisplayDepth = numbers[3];
  record.State = static_cast<int8_t>(data[1]);
  record.ClientAddress = text;
  for (int c = 0; c < vantrel::kSessionColumnCount; ++c) (void)vantrel::SessionCellText(record, c);
  if (record.ClientDisplayDepth <= 0 && !vantrel::ClientDisplayText(numbers[1], numbers[2], numbers[3]).empty())
    __builtin_trap();
  if (record.ClientBuildNumber == 0 && !vantrel::ClientOSText(0).empty()) __builtin_trap();
  return 0;
}
