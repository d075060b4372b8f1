// The object-name answer of the system: a counted string (UNICODE_STRING) at the start of the buffer it filled,
// whose characters follow in the same buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// The string's text, only when its characters lie wholly inside the buffer; empty otherwise, for a null pointer or a
// zero length. base is the buffer's address in memory, since the string points by address; is64 chooses the layout
// of the writer (the pointer at offset 8, else at offset 4). An odd byte length drops its last byte.
std::wstring CountedStringText(const uint8_t* data, size_t size, uint64_t base, bool is64);

}  // namespace vantrel
