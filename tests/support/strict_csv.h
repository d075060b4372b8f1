// A strict reader of the program's list files, for checking that what the writer writes reads back cell by cell.
// Portable: used by the native tests and the fuzzers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

using CsvRows = std::vector<std::vector<std::wstring>>;

// Every line ends in CR LF, the last one too; fields are separated by ";". A field that begins with a quotation
// mark runs to its closing one ("" inside it being one mark) and must be followed by ";" or the line's end; any other
// field runs to the next ";" or CR LF and holds no CR or LF. Nothing for text that breaks any of these rules.
inline std::optional<CsvRows> ReadStrictCsv(std::wstring_view text) {
  CsvRows rows;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    std::vector<std::wstring> row;
    for (;;) {
      std::wstring field;
      if (i < n && text[i] == L'"') {
        for (++i;; ++i) {
          if (i >= n) return std::nullopt;  // no closing mark
          if (text[i] != L'"') {
            field += text[i];
          } else if (i + 1 < n && text[i + 1] == L'"') {
            field += L'"';
            ++i;
          } else {
            ++i;
            break;
          }
        }
      } else {
        while (i < n && text[i] != L';' && text[i] != L'\r' && text[i] != L'\n') field += text[i++];
      }
      row.push_back(std::move(field));
      if (i < n && text[i] == L';') {
        ++i;
        continue;
      }
      if (i + 1 < n && text[i] == L'\r' && text[i + 1] == L'\n') {
        i += 2;
        break;
      }
      return std::nullopt;  // a stray character after a quoted field, a bare CR or LF, or no line end
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace vantrel::testing
