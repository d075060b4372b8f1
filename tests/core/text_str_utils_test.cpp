#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/os/ascii.h"
#include "core/text/str_utils.h"

namespace vantrel {
namespace {

TEST(PosText, FindsTheFirstMatchIgnoringCaseUnlessAsked) {
  struct Case {
    const wchar_t* sub;
    const wchar_t* s;
    bool matchCase, wholeWord;
    int pos;
  } cases[] = {
      {L"b", L"abc", false, false, 2},
      {L"B", L"abc", false, false, 2},
      {L"B", L"abc", true, false, 0},
      {L"SVC", L"svchost.exe", false, false, 1},
      {L"", L"abc", false, false, 0},
      {L"abcd", L"abc", false, false, 0},
      {L"x", L"", false, false, 0},
      {L"ÉTÉ", L"l'été", false, false, 3},         // Latin-1
      {L"ŁÓDŹ", L"łódź", false, false, 1},          // Latin Extended-A
      {L"ΣΟΦΙΑ", L"σοφια", false, false, 1},        // Greek
      {L"ПРОЦЕСС", L"Мой процесс", false, false, 5},  // Cyrillic
      {L"ЁЖ", L"ёж", false, false, 1},
      {L"ＡＢ", L"ｘａｂ", false, false, 2},      // full-width Latin
      {L"进程", L"系统进程列表", false, false, 3},
      {L"cat", L"concat cat", false, true, 8},  // the first whole-word match, not the first match
      {L"cat", L"cats", false, true, 0},
      {L"cat", L"(cat).", false, true, 2},
      {L"cat", L"a_cat", false, true, 0},
      {L"caf", L"café", false, true, 0},  // é is a letter
      {L"进程", L"进程列表", false, true, 0},
      {L"进程", L"- 进程 -", false, true, 3},
  };
  for (const Case& c : cases) EXPECT_EQ(PosText(c.sub, c.s, c.matchCase, c.wholeWord), c.pos) << c.sub << " in " << c.s;
}

TEST(JoinAndSplit, EdgePiecesAreKept) {
  EXPECT_EQ(JoinStrings({}, L", "), L"");
  EXPECT_EQ(JoinStrings({L"a"}, L", "), L"a");
  EXPECT_EQ(JoinStrings({L"a", L"", L"b"}, L", "), L"a, , b");

  struct Case {
    const wchar_t* s;
    const wchar_t* delimiter;
    std::vector<std::wstring> items;
  } cases[] = {
      {L"", L".", {L""}},
      {L"a.", L".", {L"a", L""}},
      {L".a", L".", {L"", L"a"}},
      {L"a..b", L".", {L"a", L"", L"b"}},
      {L"a, b,c", L", ", {L"a", L"b,c"}},
      {L"abc", L"", {L"abc"}},
  };
  std::vector<std::wstring> list = {L"old"};
  for (const Case& c : cases) {
    SplitString(c.s, c.delimiter, list);
    EXPECT_EQ(list, c.items) << c.s;
    EXPECT_EQ(JoinStrings(list, c.delimiter), std::wstring(c.delimiter).empty() ? c.s : c.s) << c.s;
  }
}

TEST(ExtractWord, RunsOfDelimitersAreOneGap) {
  struct Case {
    int n;
    const wchar_t* s;
    const wchar_t* delimiters;
    const wchar_t* word;
  } cases[] = {
      {1, L"  a  bb,, c ", L" ,", L"a"},
      {2, L"  a  bb,, c ", L" ,", L"bb"},
      {3, L"  a  bb,, c ", L" ,", L"c"},
      {4, L"  a  bb,, c ", L" ,", L""},
      {0, L"a b", L" ", L""},
      {-1, L"a b", L" ", L""},
      {1, L"", L" ", L""},
      {1, L"a中b c", L"中 ", L"a中b"},  // characters above 255 never delimit
      {2, L"aébé", L"é", L"b"},         // Latin-1 ones do
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractWord(c.n, c.s, c.delimiters), c.word) << c.n << " " << c.s;
}

TEST(SmallTextRoutines, CapitalizeBlankQuoteCollapse) {
  EXPECT_EQ(CapitalizeFirst(L"abc"), L"Abc");
  EXPECT_EQ(CapitalizeFirst(L"ábc"), L"ábc");
  EXPECT_EQ(CapitalizeFirst(L"1a"), L"1a");
  EXPECT_EQ(CapitalizeFirst(L""), L"");

  EXPECT_TRUE(IsBlank(L""));
  EXPECT_TRUE(IsBlank(L" \t\r\n\x01"));
  EXPECT_FALSE(IsBlank(L"  a  "));
  EXPECT_FALSE(IsBlank(L"\x00A0"));  // a no-break space is not trimmed

  EXPECT_EQ(QuoteText(L"abc", L'"'), L"\"abc\"");
  EXPECT_EQ(QuoteText(L"a\"b", L'"'), L"\"a\"b\"");  // nothing escaped for the double quote
  EXPECT_EQ(QuoteText(L"it's", L'\''), L"'it''s'");
  EXPECT_EQ(QuoteText(L"'open", L'\''), L"'open");  // already starts with the quote
  EXPECT_EQ(QuoteText(L"\"C:\\a b", L'"'), L"\"C:\\a b");
  EXPECT_EQ(QuoteText(L"", L'"'), L"\"\"");

  EXPECT_EQ(CollapseSpaces(L"a   b  c"), L"a b c");
  EXPECT_EQ(CollapseSpaces(L"  a  "), L" a ");
  EXPECT_EQ(CollapseSpaces(L"a\t\tb \t c"), L"a\t\tb \t c");
}

TEST(TextUpToNul, StopsAtTheFirstNulOrAtTheCapacity) {
  const wchar_t filled[] = {L'a', L'b', 0, L'c', L'd'};
  const wchar_t full[] = {L'a', L'b', L'c'};  // no NUL at all: nothing past the capacity is read
  const struct {
    const wchar_t* buffer;
    size_t capacity;
    std::wstring text;
  } cases[] = {{filled, 5, L"ab"}, {filled, 1, L"a"}, {filled, 0, L""}, {full, 3, L"abc"}, {filled + 2, 3, L""}};
  for (const auto& c : cases) EXPECT_EQ(TextUpToNul(c.buffer, c.capacity), c.text) << c.capacity;
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// The windows page's process drop-down: names in the order a user reads them, whatever their letter case.
TEST(LessNoCase, OrdersNamesIgnoringCase) {
  std::vector<std::wstring> names = {L"Vantrel.exe (268)", L"explorer.exe (64)", L"ÄPFEL.exe (9)",
                                     L"apfel.exe (8)", L"Explorer.exe (12)", L"b"};
  std::stable_sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return detail::LessNoCase(a, b);
  });
  EXPECT_EQ(names, (std::vector<std::wstring>{L"apfel.exe (8)", L"b", L"Explorer.exe (12)", L"explorer.exe (64)",
                                              L"Vantrel.exe (268)", L"ÄPFEL.exe (9)"}));
  EXPECT_FALSE(detail::LessNoCase(L"ABC", L"abc"));
  EXPECT_FALSE(detail::LessNoCase(L"abc", L"ABC"));
  EXPECT_TRUE(detail::LessNoCase(L"ab", L"ABC"));  // a prefix first
}

}  // namespace
}  // namespace vantrel
