#include "core/os/registry_text.h"

namespace vantrel {
namespace {

std::wstring Utf16Text(const uint8_t* data, size_t size) {
  std::wstring s;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const wchar_t c = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    if (c == 0) break;
    s += c;
  }
  return s;
}

}  // namespace

std::wstring RegValueBytesToText(uint32_t type, const uint8_t* data, size_t size,
                                 const std::function<std::wstring(const std::wstring&)>& expand) {
  if (data == nullptr) return {};
  switch (type) {
    case kRegSz: return Utf16Text(data, size);
    case kRegExpandSz: return expand ? expand(Utf16Text(data, size)) : Utf16Text(data, size);
    case kRegDword:
      if (size < 4) return {};
      return std::to_wstring(static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                             static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24);
    case kRegBinary: return size <= kMaxBinaryTextBytes ? Utf16Text(data, size) : std::wstring();
    default: return {};
  }
}

}  // namespace vantrel
