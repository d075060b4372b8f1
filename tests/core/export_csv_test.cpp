// The list files: fields, quoting, lines, and the UTF-8 form that keeps every name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/strict_csv.h"
#include "core/export/csv.h"
#include "core/export/extended_path.h"

namespace vantrel {
namespace {

TEST(CsvField, QuotesOnlyWhatWouldBreakTheLine) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"", L""},
      {L"notepad.exe", L"notepad.exe"},
      {L"a;b", L"\"a;b\""},
      {L"say \"hi\"", L"say \"hi\""},  // quotes alone stay bare
      {L"\"hi\" there", L"\"\"\"hi\"\" there\""},  // but a leading one would open a quoted field
      {L"x;\"y\"", L"\"x;\"\"y\"\"\""},
      {L"two\r\nlines", L"\"two\r\nlines\""},
      {L"lf\nonly", L"\"lf\nonly\""},
      {L"记事本;笔记", L"\"记事本;笔记\""},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

// Texts from other programs (window titles, entry and client names) that a spreadsheet would run as formulas.
TEST(CsvField, AFormulaGetsAnApostropheAndAPlainNumberStaysAsItIs) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"=1+2", L"'=1+2"},
      {L"+cmd|' /C calc'!A0", L"'+cmd|' /C calc'!A0"},
      {L"-2+3", L"'-2+3"},
      {L"@SUM(A1)", L"'@SUM(A1)"},
      {L"\tx", L"'\tx"},
      {L"\rx", L"\"'\rx\""},     // the apostrophe, then the quoting of its CR
      {L"=a;\"b\"", L"\"'=a;\"\"b\"\"\""},
      {L"-", L"'-"},
      {L"+", L"'+"},
      {L"-1.2.3", L"'-1.2.3"},
      {L"-12", L"-12"},
      {L"+3.5", L"+3.5"},
      {L"-0,25", L"-0,25"},
      {L"-.5", L"-.5"},
      {L"a=b", L"a=b"},         // only the first character counts
      {L"'=x", L"'=x"},
      {L" =x", L" =x"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST(CsvText, AStrictReaderReadsBackEveryCell) {
  const CsvTable table{{L"PID", L"名称", L"用户名"},
                        {{L"4", L"a;b.exe", L"PC7\\cl\"erk"},
                         {L"12", L"记事本.exe", L"x;\"y\""},
                         {L"", L"", L""},
                         {L"\"quoted\"", L"two\r\nlines", L"=HYPERLINK(\"x\")"},
                         {L"-7", L"@x;y", L"\rz"}}};
  const auto rows = testing::ReadStrictCsv(CsvText(table));
  ASSERT_TRUE(rows.has_value()) << "every line ends with CR LF and every quoted field closes";
  ASSERT_EQ(rows->size(), table.Rows.size() + 1);
  EXPECT_EQ(rows->front(), table.Header);
  for (size_t r = 0; r < table.Rows.size(); ++r) {
    std::vector<std::wstring> expected;
    for (const std::wstring& cell : table.Rows[r]) expected.push_back(FormulaSafeText(cell));
    EXPECT_EQ((*rows)[r + 1], expected) << r;
  }
  EXPECT_EQ((*rows)[4][2], L"'=HYPERLINK(\"x\")");
}

TEST(ExtendedLengthPath, FullPathsTakeThePrefixAndOthersAreRefused) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"C:\\x\\y.csv", L"\\\\?\\C:\\x\\y.csv"},
      {L"d:/a/b", L"\\\\?\\d:\\a\\b"},
      {L"\\\\server\\share\\f.csv", L"\\\\?\\UNC\\server\\share\\f.csv"},
      {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
      {L"\\\\?\\UNC\\s\\h\\x", L"\\\\?\\UNC\\s\\h\\x"},
      {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
      {L"", L""},
      {L"x.csv", L""},
      {L"C:x.csv", L""},
      {L"\\x.csv", L""},
      {L"\\\\server", L""},
      {L"\\\\server\\", L""},
      {L"\\\\\\x", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtendedLengthPath(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST(Utf8WithBom, EncodesEveryPlaneAndReplacesLoneSurrogates) {
  EXPECT_EQ(Utf8WithBom(L""), "\xEF\xBB\xBF");
  EXPECT_EQ(Utf8WithBom(L"A\u00E9\u8BB0"), "\xEF\xBB\xBF" "A\xC3\xA9\xE8\xAE\xB0");
  std::wstring astral;
  if constexpr (sizeof(wchar_t) == 2) astral = {wchar_t(0xD83D), wchar_t(0xDE00)};
  else astral = {wchar_t(0x1F600)};
  EXPECT_EQ(Utf8WithBom(astral), "\xEF\xBB\xBF\xF0\x9F\x98\x80");
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(Utf8WithBom(std::wstring{wchar_t(0xD83D), L'x'}), "\xEF\xBB\xBF\xEF\xBF\xBDx");
  }
}

}  // namespace
}  // namespace vantrel
