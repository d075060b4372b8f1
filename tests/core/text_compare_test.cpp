#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text/text_compare.h"

namespace vantrel {
namespace {

constexpr int kMaxLen = 25;  // what the list views pass

FormatSettings GermanSettings() {
  FormatSettings fs;
  fs.DecimalSeparator = L',';
  fs.ThousandSeparator = L'.';
  fs.DateSeparator = L'.';
  fs.ShortDateFormat = L"dd.MM.yyyy";
  return fs;
}

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(TryTextToNumber, TheLocaleFormFirstWhereTheDecimalPointIsNotAPeriod) {
  struct Case {
    FormatSettings fs;
    const wchar_t* text;
    bool ok;
    double value;
  } cases[] = {
      {FormatSettings{}, L"1 234 K", true, 1},  // cut at the first blank
      {FormatSettings{}, L"12,345 K", true, 12345},
      {FormatSettings{}, L"1,024", true, 1024},
      {FormatSettings{}, L"-0.25", true, -0.25},
      {FormatSettings{}, L"+7", true, 7},
      {FormatSettings{}, L".5", true, 0.5},
      {FormatSettings{}, L"5.", true, 5},
      {FormatSettings{}, L"1.5E3", true, 1500},
      {FormatSettings{}, L"2e-2", true, 0.02},
      {FormatSettings{}, L"", false, 0},
      {FormatSettings{}, L" 12", false, 0},
      {FormatSettings{}, L"1e", false, 0},
      {FormatSettings{}, L".", false, 0},
      {FormatSettings{}, L"-", false, 0},
      {FormatSettings{}, L"12abc", false, 0},
      {FormatSettings{}, L"0x10", false, 0},
      {FormatSettings{}, L"1e999", false, 0},  // not finite
      {FormatSettings{}, L"inf", false, 0},
      {FormatSettings{}, L"nan", false, 0},
      {FormatSettings{}, L"1.234,5", true, 1.2345},  // "," is this locale's thousands separator
      {GermanSettings(), L"1.234,5", true, 1234.5},
      {GermanSettings(), L"1,5 MB", true, 1.5},
      {GermanSettings(), L"1.5", true, 15},  // "." groups thousands here
      {GermanSettings(), L"1e3", true, 1000},
      {GermanSettings(), L"1.234.567", true, 1234567},
      {GermanSettings(), L"1,2,3", false, 0},
  };
  for (const Case& c : cases) {
    double v = -99;
    EXPECT_EQ(TryTextToNumber(c.text, v, c.fs), c.ok) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(CompareTextValues, CellsCompareByWhatTheyHold) {
  const FormatSettings en;
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    int sign;
  } cases[] = {
      {L"9:00:00", L"12:05:01", -1},  // as times, not as text
      {L"12:05:01", L"12:05:01.000", 0},
      {L"999 K", L"1,024 K", -1},  // numbers before the first blank
      {L"1,024 K", L"1024", 0},
      {L"abc", L"ABD", -1},
      {L"ABC", L"abc", 0},
      {L"abc", L"abcd", -1},
      {L"_x", L"ax", 1},  // letters fold to upper case, so '_' sorts after them
      {L"12/31/2023", L"1/1/2024", -1},
      {L"1/1/2024 0:00:01", L"1/1/2024", 1},
      {L"", L"abc", -1},  // an empty cell first, whatever the others hold
      {L"", L"1/1/2024", -1},
      {L"", L"", 0},
      {L"1/1/2024", L"5", -1},  // kinds order: date-time, number, text
      {L"5", L"abc", -1},
      {L"10:00", L"-3", -1},
      // Numbers compare exactly: the two texts differ, so do the values.
      {L"1.0000000000001", L"1.0000000000002", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(CompareTextValues(c.a, c.b, kMaxLen, en)), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(Sign(CompareTextValues(c.b, c.a, kMaxLen, en)), -c.sign) << c.b << " vs " << c.a;
  }

  const FormatSettings de = GermanSettings();
  EXPECT_LT(CompareTextValues(L"999 K", L"1.024.000 K", kMaxLen, de), 0);
  // A single thousands group is still a thousand: KB columns sort by size.
  EXPECT_LT(CompareTextValues(L"999 K", L"1.024 K", kMaxLen, de), 0);
  EXPECT_LT(CompareTextValues(L"31.12.2023", L"1.1.2024", kMaxLen, de), 0);
  EXPECT_GT(CompareTextValues(L"2,5", L"2,25", kMaxLen, de), 0);
}

TEST(CompareTextValues, ACellOfMaxLenOrMoreIsTextOnEitherSide) {
  const FormatSettings en;
  const std::wstring big = L"2" + std::wstring(25, L'0');  // 2e25, 26 characters
  const std::wstring nines = std::wstring(25, L'9');        // about 1e25, 25 characters
  // Both long: text order, although the numbers order the other way.
  EXPECT_LT(CompareTextValues(big, nines, kMaxLen, en), 0);
  EXPECT_GT(CompareTextValues(nines, big, kMaxLen, en), 0);
  EXPECT_GT(CompareTextValues(big, nines, 27, en), 0);  // below the limit they are numbers
  // One long, one short: the same answer whichever comes first.
  EXPECT_GT(CompareTextValues(big, L"9", kMaxLen, en), 0);
  EXPECT_LT(CompareTextValues(L"9", big, kMaxLen, en), 0);
  EXPECT_EQ(MakeCellSortKey(big, kMaxLen, en).Kind, CellKind::Text);
  EXPECT_EQ(MakeCellSortKey(big.substr(2), kMaxLen, en).Kind, CellKind::Number);
}

// The order must be a strict weak order over any mix of cells, or a sort may misbehave.
TEST(CompareTextValues, IsAStrictWeakOrderOverMixedCells) {
  const std::vector<std::wstring> cells = {
      L"",           L"abc",         L"ABC",        L"abd",        L"9:00:00",    L"12:05:01",  L"12:05:01.000",
      L"1/2",        L"12/",         L"1/1/2024",   L"12/31/2023", L"31.12.2023", L"1.1.2024",  L"999 K",
      L"1,024 K",    L"1.024 K",     L"1024",       L"-3",         L"2,5",        L"2.5",       L"1e3",
      L"1000",       L"_x",          L"Zeta",       L"12abc",      L"1 234 K",    L"下午2:07",  L"进程",
      L"2024-01-01", L"1" + std::wstring(24, L'0'), std::wstring(25, L'9'),       L"9",
      L"12/31/2023 23:59:59 and a long tail",       L"1.0000000000001",            L"1.0000000000002"};
  for (const FormatSettings& fs : {FormatSettings{}, GermanSettings()}) {
    for (int maxLen : {kMaxLen, 5}) {
      std::vector<CellSortKey> keys;
      for (const auto& s : cells) keys.push_back(MakeCellSortKey(s, maxLen, fs));
      const size_t n = cells.size();
      std::vector<int> c(n * n);
      for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < n; ++j) {
          c[i * n + j] = Sign(CompareTextValues(cells[i], cells[j], maxLen, fs));
          ASSERT_EQ(c[i * n + j], Sign(CompareCellSortKeys(keys[i], keys[j]))) << cells[i] << " vs " << cells[j];
        }
      }
      for (size_t i = 0; i < n; ++i) {
        ASSERT_EQ(c[i * n + i], 0) << cells[i];
        for (size_t j = 0; j < n; ++j) {
          ASSERT_EQ(c[i * n + j], -c[j * n + i]) << cells[i] << " vs " << cells[j];
          for (size_t k = 0; k < n; ++k) {
            if (c[i * n + j] <= 0 && c[j * n + k] <= 0) {
              ASSERT_LE(c[i * n + k], 0) << cells[i] << " <= " << cells[j] << " <= " << cells[k];
            }
            if (c[i * n + j] == 0 && c[j * n + k] == 0) {
              ASSERT_EQ(c[i * n + k], 0) << cells[i] << " == " << cells[j] << " == " << cells[k];
            }
          }
        }
      }
    }
  }
}

TEST(CellSortKeys, StableSortOfPrecomputedKeysKeepsTiesInRowOrder) {
  const FormatSettings fs;
  const std::wstring pool[] = {L"", L"3:00", L"1/1/2024", L"42", L"1,024 K", L"abc", L"ABC", L"7", L"zz"};
  std::vector<std::wstring> rows;
  for (size_t i = 0; i < 1000; ++i) rows.push_back(pool[(i * 7 + i / 3) % std::size(pool)]);
  std::vector<CellSortKey> keys;
  for (const auto& r : rows) keys.push_back(MakeCellSortKey(r, kMaxLen, fs));
  std::vector<size_t> order(rows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return CompareCellSortKeys(keys[a], keys[b]) < 0; });
  for (size_t i = 1; i < order.size(); ++i) {
    const int c = CompareTextValues(rows[order[i - 1]], rows[order[i]], kMaxLen, fs);
    ASSERT_LE(c, 0) << rows[order[i - 1]] << " before " << rows[order[i]];
    if (c == 0) {
      ASSERT_LT(order[i - 1], order[i]);
    }
  }
  EXPECT_EQ(rows[order.front()], L"");
  EXPECT_EQ(rows[order.back()], L"zz");
}

}  // namespace
}  // namespace vantrel
