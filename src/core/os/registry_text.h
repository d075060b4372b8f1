// A registry value's bytes as text, by its type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

inline constexpr uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4;
inline constexpr size_t kMaxBinaryTextBytes = 2050;

// REG_SZ as is; REG_EXPAND_SZ through expand; REG_DWORD in decimal; REG_BINARY of up to 2,050 bytes as UTF-16
// text. Texts end at the first NUL or at the data's end, whichever comes first. Anything else: empty.
std::wstring RegValueBytesToText(uint32_t type, const uint8_t* data, size_t size,
                                 const std::function<std::wstring(const std::wstring&)>& expand);

}  // namespace vantrel
