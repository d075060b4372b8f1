#include "core/handles/object_name.h"

#include <cstring>

namespace vantrel {

std::wstring CountedStringText(const uint8_t* data, size_t size, uint64_t base, bool is64) {
  const size_t header = is64 ? 16 : 8;
  if (!data || size < header) return {};
  uint16_t length = 0;
  std::memcpy(&length, data, sizeof length);
  uint64_t pointer = 0;
  if (is64) {
    std::memcpy(&pointer, data + 8, 8);
  } else {
    uint32_t pointer32 = 0;
    std::memcpy(&pointer32, data + 4, 4);
    pointer = pointer32;
  }
  if (pointer == 0 || length == 0 || pointer < base) return {};
  const uint64_t offset = pointer - base;
  if (offset > size || length > size - offset) return {};
  std::wstring text(length / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    uint16_t unit = 0;
    std::memcpy(&unit, data + offset + i * 2, 2);
    text[i] = static_cast<wchar_t>(unit);
  }
  return text;
}

}  // namespace vantrel
