// Regional settings that the date, time and number routines read. Callers pass a record explicitly; the Windows
// layer fills one from the user's locale (ReadUserFormatSettings), tests build their own.
#pragma once

#include <array>
#include <string>

namespace vantrel {

struct FormatSettings {
  wchar_t DecimalSeparator = L'.';
  wchar_t ThousandSeparator = L',';  // L'\0': the locale groups no digits
  wchar_t DateSeparator = L'/';
  wchar_t TimeSeparator = L':';
  // Windows picture strings: d dd ddd dddd M MM MMM MMMM y yy (both two digits) yyyy, H HH h hh m mm s ss t tt,
  // 'quoted text' ('' for an apostrophe); other characters are written as they are.
  std::wstring ShortDateFormat = L"MM/dd/yyyy";
  std::wstring LongTimeFormat = L"HH:mm:ss";
  std::wstring TimeAMString = L"AM";
  std::wstring TimePMString = L"PM";
  std::array<std::wstring, 12> ShortMonthNames{L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                               L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  std::array<std::wstring, 12> LongMonthNames{L"January",   L"February", L"March",    L"April",
                                              L"May",       L"June",     L"July",     L"August",
                                              L"September", L"October",  L"November", L"December"};
  // Index 0 is Sunday.
  std::array<std::wstring, 7> ShortDayNames{L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
  std::array<std::wstring, 7> LongDayNames{L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                           L"Thursday", L"Friday", L"Saturday"};
};

// The invariant locale's record (also what a default-constructed FormatSettings holds).
inline FormatSettings InvariantFormatSettings() { return FormatSettings{}; }

}  // namespace vantrel
