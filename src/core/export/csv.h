// The list files the program writes: ";"-separated text, a header line of the column captions, one line per row.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

struct CsvTable {
  std::vector<std::wstring> Header;
  std::vector<std::vector<std::wstring>> Rows;
};

// A field as written: enclosed in quotation marks when it holds ";", CR or LF or begins with a quotation mark, its
// quotation marks then doubled. A field with quotation marks elsewhere but none of those stays bare, as readers of
// these files expect. A text a spreadsheet would run as a formula gets a leading apostrophe first.
std::wstring CsvField(const std::wstring& text);
// "-12", "+3.5", "7", "0,25": a sign, digits and at most one decimal point or comma, at least one digit.
bool IsPlainNumber(const std::wstring& text);
// A text beginning with = + - @, a tab or a carriage return, other than a plain number, with an apostrophe in
// front: names from other programs must never become formulas in a spreadsheet. Anything else unchanged.
std::wstring FormulaSafeText(const std::wstring& text);
// Header and rows, each line ended by CR LF.
std::wstring CsvText(const CsvTable& table);
// UTF-8 with a byte-order mark, so that spreadsheet programs read every name intact.
std::string Utf8WithBom(const std::wstring& text);

}  // namespace vantrel
