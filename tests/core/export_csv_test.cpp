// The list files: fields, quoting, lines, and the UTF-8 form that keeps every name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/export/csv.h"

namespace vantrel {
namespace {

// Reads one line back as a spreadsheet program does: a field that starts with a quotation mark runs to the
// closing one, "" inside it being one mark; any other field runs to the next ";".
std::vector<std::wstring> ReadLine(const std::wstring& line) {
  std::vector<std::wstring> fields;
  size_t i = 0;
  for (;;) {
    std::wstring field;
    if (i < line.size() && line[i] == L'"') {
      for (++i; i < line.size(); ++i) {
        if (line[i] == L'"') {
          if (i + 1 < line.size() && line[i + 1] == L'"') {
            field += L'"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          field += line[i];
        }
      }
    } else {
      while (i < line.size() && line[i] != L';') field += line[i++];
    }
    fields.push_back(field);
    if (i >= line.size()) return fields;
    ++i;  // the separator
  }
}

TEST(CsvField, QuotesOnlyWhatWouldBreakTheLine) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"", L""},
      {L"notepad.exe", L"notepad.exe"},
      {L"a;b", L"\"a;b\""},
      {L"say \"hi\"", L"say \"hi\""},  // quotes alone stay bare
      {L"x;\"y\"", L"\"x;\"\"y\"\"\""},
      {L"two\r\nlines", L"\"two\r\nlines\""},
      {L"lf\nonly", L"\"lf\nonly\""},
      {L"记事本;笔记", L"\"记事本;笔记\""},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST(CsvText, ReadsBackFieldByField) {
  const TCsvTable table{{L"PID", L"名称", L"用户名"},
                        {{L"4", L"a;b.exe", L"PC7\\cl\"erk"}, {L"12", L"记事本.exe", L"x;\"y\""}, {L"", L"", L""}}};
  const std::wstring text = CsvText(table);
  std::vector<std::vector<std::wstring>> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(ReadLine(text.substr(start, end - start)));
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], table.Header);
  for (size_t r = 0; r < table.Rows.size(); ++r) EXPECT_EQ(lines[r + 1], table.Rows[r]) << r;
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
