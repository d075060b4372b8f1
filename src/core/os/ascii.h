// Small case-insensitive text helpers shared by the system-information logic.
#pragma once

#include <cwctype>
#include <string>
#include <string_view>

namespace vantrel::detail {

inline wchar_t FoldCase(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
  if (c < 0x80) return c;
  return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

inline bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

// Order of texts as a user reads them in a list: letter case ignored ("explorer.exe" before "Vantrel.exe").
inline bool LessNoCase(std::wstring_view a, std::wstring_view b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const wchar_t x = FoldCase(a[i]), y = FoldCase(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

inline bool StartsWithNoCase(std::wstring_view s, std::wstring_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

inline size_t FindNoCase(std::wstring_view s, std::wstring_view what, size_t from = 0) {
  if (what.empty()) return from <= s.size() ? from : std::wstring_view::npos;
  for (size_t i = from; i + what.size() <= s.size(); ++i)
    if (EqualsNoCase(s.substr(i, what.size()), what)) return i;
  return std::wstring_view::npos;
}

inline std::wstring ReplaceAllNoCase(std::wstring_view s, std::wstring_view what, std::wstring_view with) {
  std::wstring out;
  size_t pos = 0;
  for (size_t hit; (hit = FindNoCase(s, what, pos)) != std::wstring_view::npos; pos = hit + what.size()) {
    out.append(s.substr(pos, hit - pos));
    out.append(with);
  }
  out.append(s.substr(pos));
  return out;
}

inline std::wstring ToUpper(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = FoldCase(c);
  return out;
}

inline bool IsBlankChar(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

inline std::wstring Trim(std::wstring_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= L' ') ++b;
  while (e > b && s[e - 1] <= L' ') --e;
  return std::wstring(s.substr(b, e - b));
}

}  // namespace vantrel::detail
