// Small text routines used by the views for filtering, splitting and quoting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// 1-based position of the first occurrence of SubStr in S, 0 if none (and for an empty SubStr). Without MatchCase
// letters are folded simply, one character to one: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin letters. WholeWord accepts only a match with no word character just before or after it; word
// characters are letters and digits of Latin-1, '_', and every character above U+00FF.
int PosText(std::wstring_view SubStr, std::wstring_view S, bool MatchCase = false, bool WholeWord = false);

std::wstring JoinStrings(const std::vector<std::wstring>& List, std::wstring_view Delimiter);
// List is cleared, then gets every piece; the rest after the last Delimiter is always added ("" gives one empty
// item, "a." with "." gives "a" and ""). An empty Delimiter gives S as the only item.
void SplitString(std::wstring_view S, std::wstring_view Delimiter, std::vector<std::wstring>& List);
std::vector<std::wstring> SplitString(std::wstring_view S, std::wstring_view Delimiter);

// The N-th (1-based) maximal run of characters not in Delimiters; characters above U+00FF never delimit (and are
// ignored in Delimiters). Empty when there is no such word.
std::wstring ExtractWord(int N, std::wstring_view S, std::wstring_view Delimiters);

std::wstring CapitalizeFirst(std::wstring_view S);  // only an ASCII a-z first character changes
bool IsBlank(std::wstring_view S);                  // empty once blanks and control characters are trimmed
// S wrapped in Quote, unchanged when S already begins with it; with the apostrophe, inner apostrophes are doubled.
std::wstring QuoteText(std::wstring_view S, wchar_t Quote);
std::wstring CollapseSpaces(std::wstring_view S);  // runs of U+0020 become one; other white space is kept
// The text of a buffer a call filled: up to its first NUL, or all of it when it holds none.
std::wstring TextUpToNul(const wchar_t* buffer, size_t capacity);

}  // namespace vantrel
