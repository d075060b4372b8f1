// Cell comparison must stay a strict weak order for any texts, and the parsers must take any text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/text/text_compare.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

vantrel::FormatSettings Locale(uint8_t selector) {
  vantrel::FormatSettings fs;
  switch (selector % 3) {
    case 1:  // comma decimals, dotted dates
      fs.DecimalSeparator = L',';
      fs.ThousandSeparator = L'.';
      fs.DateSeparator = L'.';
      fs.ShortDateFormat = L"dd.MM.yyyy";
      break;
    case 2:  // designators before the time, month names
      fs.DateSeparator = L'-';
      fs.ShortDateFormat = L"dd-MMM-yy";
      fs.LongTimeFormat = L"tt h:mm:ss";
      break;
    default:
      break;
  }
  return fs;
}

}  // namespace

// Layout: [locale selector] [MaxLen] then three texts separated by 0xFF bytes; other bytes are Latin-1 characters,
// 0xFE escapes the next two bytes as one UTF-16 unit.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const vantrel::FormatSettings fs = Locale(data[0]);
  const int maxLen = data[1] % 40;
  std::wstring cell[3];
  int n = 0;
  for (size_t i = 2; i < size && n < 3; ++i) {
    if (data[i] == 0xFF) {
      ++n;
    } else if (data[i] == 0xFE && i + 2 < size) {
      cell[n] += static_cast<wchar_t>(data[i + 1] | (data[i + 2] << 8));
      i += 2;
    } else {
      cell[n] += static_cast<wchar_t>(data[i]);
    }
  }

  for (const auto& s : cell) {
    double number = 0;
    vantrel::DateTime when = 0;
    (void)vantrel::TryTextToNumber(s, number, fs);
    (void)vantrel::TryTextToDateTime(s, when, fs);
  }

  int c[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) c[i][j] = Sign(vantrel::CompareTextValues(cell[i], cell[j], maxLen, fs));
  for (int i = 0; i < 3; ++i) {
    if (c[i][i] != 0) __builtin_trap();
    for (int j = 0; j < 3; ++j) {
      if (c[i][j] != -c[j][i]) __builtin_trap();
      for (int k = 0; k < 3; ++k) {
        if (c[i][j] <= 0 && c[j][k] <= 0 && c[i][k] > 0) __builtin_trap();
        if (c[i][j] == 0 && c[j][k] == 0 && c[i][k] != 0) __builtin_trap();
      }
    }
  }
  return 0;
}
