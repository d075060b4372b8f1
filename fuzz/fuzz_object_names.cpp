// Object and file names as the system hands them over: the counted string of an object-name answer, the
// file-name information buffer, and the name rules (registry roots, type dispatch) on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/handles/handle_records.h"
#include "core/handles/object_name.h"

namespace {

std::wstring Utf16(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  const bool is64 = data[0] & 1;
  uint64_t base = 0;
  for (int i = 0; i < 8; ++i) base |= static_cast<uint64_t>(data[1 + i]) << (8 * i);
  std::vector<uint8_t> buffer(data + 9, data + size);  // exact-size heap block so that over-reads are caught
  // The pointer as an address inside or outside the buffer, whatever the base.
  const std::wstring counted = vantrel::CountedStringText(buffer.data(), buffer.size(), base, is64);
  if (counted.size() * 2 > buffer.size()) __builtin_trap();
  const std::wstring fileInfo = vantrel::FileNameInformationText(buffer.data(), buffer.size());
  if (buffer.size() >= 4 && fileInfo.size() * 2 > buffer.size() - 4) __builtin_trap();

  const std::wstring text = Utf16(buffer.data(), buffer.size());
  const std::wstring key = vantrel::RegistryKeyName(text);
  if (key.size() > text.size()) __builtin_trap();
  vantrel::HandleRecord record;
  record.Typ = static_cast<uint16_t>(data[0] >> 1);
  vantrel::ApplyObjectName(record, text);
  if (record.Name.size() > text.size()) __builtin_trap();
  (void)vantrel::DispatchTypeNumber(text, record.Typ);
  (void)vantrel::ObjectTypeName(data[0]);
  const std::wstring chosen = vantrel::ChooseFileName(counted, fileInfo);
  // The object name up to its first NUL, else the file information.
  if (chosen != fileInfo && (chosen.empty() || counted.rfind(chosen, 0) != 0)) __builtin_trap();
  return 0;
}
