#pragma once
#include <cstdint>
#include <type_traits>

namespace vantrel {

// Columns, table rows and bit numbers are scoped enums; these turn one into the number it stands for.
template <class E>
constexpr int Index(E e) {
  static_assert(std::is_enum_v<E>);
  return static_cast<int>(e);
}

template <class E>
constexpr uint32_t Bit(E e) {
  static_assert(std::is_enum_v<E>);
  return 1u << static_cast<unsigned>(e);
}

}  // namespace vantrel
