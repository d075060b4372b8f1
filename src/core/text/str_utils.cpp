#include "core/text/str_utils.h"

#include "core/text/char_fold.h"

namespace vantrel {

using text_detail::FoldSimple;

namespace {

bool IsWordChar(wchar_t c) {
  const unsigned u = static_cast<unsigned>(c);
  if (u > 0xFF) return true;
  if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_') return true;
  return u == 0xAA || u == 0xB5 || u == 0xBA || (u >= 0xC0 && u != 0xD7 && u != 0xF7);
}

}  // namespace

int PosText(std::wstring_view SubStr, std::wstring_view S, bool MatchCase, bool WholeWord) {
  if (SubStr.empty() || SubStr.size() > S.size()) return 0;
  for (size_t start = 0; start + SubStr.size() <= S.size(); ++start) {
    size_t k = 0;
    if (MatchCase) {
      while (k < SubStr.size() && S[start + k] == SubStr[k]) ++k;
    } else {
      while (k < SubStr.size() && FoldSimple(S[start + k]) == FoldSimple(SubStr[k])) ++k;
    }
    if (k != SubStr.size()) continue;
    const size_t end = start + SubStr.size();
    if (WholeWord && ((start > 0 && IsWordChar(S[start - 1])) || (end < S.size() && IsWordChar(S[end])))) continue;
    return static_cast<int>(start + 1);
  }
  return 0;
}

std::wstring JoinStrings(const std::vector<std::wstring>& List, std::wstring_view Delimiter) {
  std::wstring out;
  for (size_t i = 0; i < List.size(); ++i) {
    if (i > 0) out += Delimiter;
    out += List[i];
  }
  return out;
}

void SplitString(std::wstring_view S, std::wstring_view Delimiter, std::vector<std::wstring>& List) {
  List.clear();
  if (!Delimiter.empty()) {
    for (size_t at; (at = S.find(Delimiter)) != std::wstring_view::npos; S.remove_prefix(at + Delimiter.size()))
      List.emplace_back(S.substr(0, at));
  }
  List.emplace_back(S);
}

std::vector<std::wstring> SplitString(std::wstring_view S, std::wstring_view Delimiter) {
  std::vector<std::wstring> list;
  SplitString(S, Delimiter, list);
  return list;
}

std::wstring ExtractWord(int N, std::wstring_view S, std::wstring_view Delimiters) {
  auto delimits = [&](wchar_t c) { return static_cast<unsigned>(c) <= 0xFF && Delimiters.find(c) != Delimiters.npos; };
  int word = 0;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && delimits(S[i])) ++i;
    if (i == S.size()) break;
    const size_t start = i;
    while (i < S.size() && !delimits(S[i])) ++i;
    if (++word == N) return std::wstring(S.substr(start, i - start));
  }
  return {};
}

std::wstring CapitalizeFirst(std::wstring_view S) {
  std::wstring out(S);
  if (!out.empty() && out[0] >= L'a' && out[0] <= L'z') out[0] = static_cast<wchar_t>(out[0] - 32);
  return out;
}

bool IsBlank(std::wstring_view S) {
  for (wchar_t c : S)
    if (static_cast<unsigned>(c) > 0x20) return false;
  return true;
}

std::wstring QuoteText(std::wstring_view S, wchar_t Quote) {
  if (!S.empty() && S.front() == Quote) return std::wstring(S);
  std::wstring out(1, Quote);
  for (wchar_t c : S) {
    out += c;
    if (Quote == L'\'' && c == L'\'') out += c;
  }
  out += Quote;
  return out;
}

std::wstring CollapseSpaces(std::wstring_view S) {
  std::wstring out;
  out.reserve(S.size());
  for (wchar_t c : S)
    if (c != L' ' || out.empty() || out.back() != L' ') out += c;
  return out;
}

std::wstring TextUpToNul(const wchar_t* buffer, size_t capacity) {
  size_t n = 0;
  while (n < capacity && buffer[n]) ++n;
  return std::wstring(buffer, n);
}

}  // namespace vantrel
