// The list file's writer against a strict reader: whatever the cells, the text reads back as the same cells (a text
// that would run as a formula with its apostrophe), and every cell the writer changed is one that needed it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../tests/support/strict_csv.h"
#include "core/export/csv.h"

namespace {

// The bytes as a table: a few awkward characters are made likely, 0xFF ends a cell, 0xFE a row.
vantrel::CsvTable TableOf(const uint8_t* data, size_t size) {
  static const wchar_t kAlphabet[] = L";\"\r\n\t=+-@'.,0123456789 ax记";
  constexpr size_t kAlphabetSize = sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1;
  std::vector<std::vector<std::wstring>> rows(1, std::vector<std::wstring>(1));
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = data[i];
    if (b == 0xFF) {
      rows.back().emplace_back();
    } else if (b == 0xFE) {
      rows.emplace_back(1);
    } else if (b >= 0xC0 && i + 1 < size) {
      rows.back().back() += static_cast<wchar_t>(((b & 0x3F) << 8) | data[++i]);  // any UTF-16 unit
    } else {
      rows.back().back() += kAlphabet[b % kAlphabetSize];
    }
  }
  vantrel::CsvTable table;
  table.Header = rows.front();
  table.Rows.assign(rows.begin() + 1, rows.end());
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vantrel::CsvTable table = TableOf(data, size);
  const std::wstring text = vantrel::CsvText(table);
  const auto rows = vantrel::testing::ReadStrictCsv(text);
  if (!rows || rows->size() != table.Rows.size() + 1) __builtin_trap();
  for (size_t r = 0; r < rows->size(); ++r) {
    const std::vector<std::wstring>& written = r == 0 ? table.Header : table.Rows[r - 1];
    const std::vector<std::wstring>& read = (*rows)[r];
    if (read.size() != written.size()) __builtin_trap();
    for (size_t c = 0; c < read.size(); ++c) {
      const std::wstring& cell = written[c];
      if (read[c] != vantrel::FormulaSafeText(cell)) __builtin_trap();
      // The apostrophe only in front of a text a spreadsheet would run.
      if (read[c] != cell && (cell.empty() || std::wstring(L"=+-@\t\r").find(cell[0]) == std::wstring::npos ||
                              vantrel::IsPlainNumber(cell)))
        __builtin_trap();
    }
  }
  (void)vantrel::Utf8WithBom(text);
  return 0;
}
