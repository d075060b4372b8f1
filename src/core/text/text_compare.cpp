#include "core/text/text_compare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/text/char_fold.h"

namespace vantrel {

using text_detail::FoldAscii;
using text_detail::IsAsciiDigit;

namespace {

// [sign] digits [. digits] [e [sign] digits], at least one mantissa digit, the whole text, a finite result.
bool ParseInvariant(std::wstring_view s, double& value) {
  std::string a;
  a.reserve(s.size() + 2);
  size_t i = 0;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
    if (s[i] == L'-') a += '-';
    ++i;
  }
  size_t mantissaDigits = 0;
  const size_t intStart = a.size();
  for (; i < s.size() && IsAsciiDigit(s[i]); ++i, ++mantissaDigits) a += static_cast<char>(s[i]);
  if (i < s.size() && s[i] == L'.') {
    if (a.size() == intStart) a += '0';
    a += '.';
    ++i;
    size_t fractionDigits = 0;
    for (; i < s.size() && IsAsciiDigit(s[i]); ++i, ++fractionDigits) a += static_cast<char>(s[i]);
    if (fractionDigits == 0) a += '0';
    mantissaDigits += fractionDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
    a += 'e';
    ++i;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) a += static_cast<char>(s[i++]);
    size_t exponentDigits = 0;
    for (; i < s.size() && IsAsciiDigit(s[i]); ++i, ++exponentDigits) a += static_cast<char>(s[i]);
    if (exponentDigits == 0) return false;
  }
  if (i != s.size()) return false;
  double v = 0;
  const auto r = std::from_chars(a.data(), a.data() + a.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != a.data() + a.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

template <typename T>
int Sign(T a, T b) {
  return (a > b) - (a < b);
}

}  // namespace

bool TryTextToNumber(std::wstring_view S, double& Value, const FormatSettings& Settings) {
  Value = 0;
  if (const size_t blank = S.find(L' '); blank != std::wstring_view::npos) S = S.substr(0, blank);
  std::wstring local;
  local.reserve(S.size());
  for (wchar_t c : S) {
    if (Settings.ThousandSeparator != L'\0' && c == Settings.ThousandSeparator) continue;
    local += c == Settings.DecimalSeparator ? L'.' : c;
  }
  // Where "." is not the decimal point, the program's own texts are in the locale's form ("1.024 K" is a
  // thousand and twenty-four), so that reading comes first; elsewhere the invariant one does.
  if (Settings.DecimalSeparator != L'.') return ParseInvariant(local, Value) || ParseInvariant(S, Value);
  return ParseInvariant(S, Value) || ParseInvariant(local, Value);
}

CellSortKey MakeCellSortKey(std::wstring_view S, int MaxLen, const FormatSettings& Settings) {
  CellSortKey key;
  if (S.empty()) return key;
  if (S.size() < static_cast<size_t>(std::max(MaxLen, 0))) {
    DateTime when = 0;
    if (TryTextToDateTime(S, when, Settings) && TryDateTimeToMSecs(when, key.MSecs)) {
      key.Kind = CellKind::DateTime;
      return key;
    }
    if (TryTextToNumber(S, key.Number, Settings)) {
      key.Kind = CellKind::Number;
      return key;
    }
    key.Number = 0;
  }
  key.Kind = CellKind::Text;
  key.Folded.resize(S.size());
  std::transform(S.begin(), S.end(), key.Folded.begin(), FoldAscii);
  return key;
}

int CompareCellSortKeys(const CellSortKey& A, const CellSortKey& B) {
  if (A.Kind != B.Kind) return A.Kind < B.Kind ? -1 : 1;
  switch (A.Kind) {
    case CellKind::Empty: return 0;
    case CellKind::DateTime: return Sign(A.MSecs, B.MSecs);
    case CellKind::Number: return Sign(A.Number, B.Number);
    case CellKind::Text: break;
  }
  // The difference of the first differing code units, or of the lengths (clamped, so the sign always survives).
  auto clampToInt = [](long long v) {
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  const size_t n = std::min(A.Folded.size(), B.Folded.size());
  for (size_t i = 0; i < n; ++i)
    if (A.Folded[i] != B.Folded[i])
      return clampToInt(static_cast<long long>(static_cast<uint32_t>(A.Folded[i])) -
                        static_cast<long long>(static_cast<uint32_t>(B.Folded[i])));
  return clampToInt(static_cast<long long>(A.Folded.size()) - static_cast<long long>(B.Folded.size()));
}

int CompareTextValues(std::wstring_view S1, std::wstring_view S2, int MaxLen, const FormatSettings& Settings) {
  return CompareCellSortKeys(MakeCellSortKey(S1, MaxLen, Settings), MakeCellSortKey(S2, MaxLen, Settings));
}

}  // namespace vantrel
