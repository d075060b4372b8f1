// Comparing list cell texts by what they hold: dates and times, numbers, or plain text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/date_time.h"
#include "core/text/format_settings.h"

namespace vantrel {

// Everything from the first blank on is dropped ("12,345 K" reads as 12345); then the invariant form
// ([sign] digits [. digits] [e exponent]) is tried, then the locale form (thousands separators removed, the
// decimal separator read as "."). The whole text must be consumed and the value finite; on failure Value = 0.
bool TryTextToNumber(std::wstring_view S, double& Value, const FormatSettings& Settings);

// What a cell holds, decided once per cell. Cells of different kinds order by kind in this order.
enum class CellKind : uint8_t { Empty, DateTime, Number, Text };

struct CellSortKey {
  CellKind Kind = CellKind::Empty;
  int64_t MSecs = 0;    // DateTime: milliseconds, linear
  double Number = 0;    // Number
  std::wstring Folded;  // Text: ASCII letters upper-cased
};

// A text of MaxLen characters or more is Text whatever it holds; otherwise a date-time, a number, or Text.
CellSortKey MakeCellSortKey(std::wstring_view S, int MaxLen, const FormatSettings& Settings);
// Negative, zero or positive. A strict weak order: sort with std::stable_sort over precomputed keys.
int CompareCellSortKeys(const CellSortKey& A, const CellSortKey& B);

// The same as comparing the two cells' keys. Date-times compare to the millisecond, numbers by value, texts
// case-insensitively (ASCII letters folded: the difference of the first differing characters, or of the lengths).
int CompareTextValues(std::wstring_view S1, std::wstring_view S2, int MaxLen, const FormatSettings& Settings);

}  // namespace vantrel
