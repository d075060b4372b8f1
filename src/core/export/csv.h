// The list files the program writes: ";"-separated text, a header line of the column captions, one line per row.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

struct TCsvTable {
  std::vector<std::wstring> Header;
  std::vector<std::vector<std::wstring>> Rows;
};

// A field as written: enclosed in quotation marks when it holds ";", CR or LF, its quotation marks then doubled.
// A field with quotation marks but none of those stays bare, as readers of these files expect.
std::wstring CsvField(const std::wstring& text);
// Header and rows, each line ended by CR LF.
std::wstring CsvText(const TCsvTable& table);
// UTF-8 with a byte-order mark, so that spreadsheet programs read every name intact.
std::string Utf8WithBom(const std::wstring& text);

}  // namespace vantrel
