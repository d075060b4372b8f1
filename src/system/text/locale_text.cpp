#include "system/text/locale_text.h"

#include <limits>

namespace vantrel {

namespace {

bool ReadInfo(const wchar_t* locale, LCTYPE type, std::wstring& out) {
  wchar_t buffer[128];
  const int n = ::GetLocaleInfoEx(locale, type, buffer, static_cast<int>(std::size(buffer)));
  if (n <= 1) return false;  // failed, or only the terminating NUL
  out.assign(buffer, static_cast<size_t>(n - 1));
  return true;
}

void ReadChar(const wchar_t* locale, LCTYPE type, wchar_t& out) {
  std::wstring text;
  if (ReadInfo(locale, type, text)) out = text[0];
}

void ReadText(const wchar_t* locale, LCTYPE type, std::wstring& out) {
  std::wstring text;
  if (ReadInfo(locale, type, text)) out = std::move(text);
}

}  // namespace

FormatSettings ReadFormatSettings(const wchar_t* LocaleName) {
  FormatSettings fs;
  ReadChar(LocaleName, LOCALE_SDECIMAL, fs.DecimalSeparator);
  if (::GetLocaleInfoEx(LocaleName, LOCALE_STHOUSAND, nullptr, 0) == 1) fs.ThousandSeparator = L'\0';  // no grouping
  else ReadChar(LocaleName, LOCALE_STHOUSAND, fs.ThousandSeparator);
  ReadChar(LocaleName, LOCALE_SDATE, fs.DateSeparator);
  ReadChar(LocaleName, LOCALE_STIME, fs.TimeSeparator);
  ReadText(LocaleName, LOCALE_SSHORTDATE, fs.ShortDateFormat);
  ReadText(LocaleName, LOCALE_STIMEFORMAT, fs.LongTimeFormat);
  // Designators may legitimately be empty (24-hour locales).
  for (auto [type, target] : {std::pair{LOCALE_S1159, &fs.TimeAMString}, std::pair{LOCALE_S2359, &fs.TimePMString}}) {
    std::wstring text;
    if (ReadInfo(LocaleName, type, text)) *target = std::move(text);
    else if (::GetLocaleInfoEx(LocaleName, type, nullptr, 0) == 1) target->clear();
  }
  for (LCTYPE m = 0; m < 12; ++m) {
    ReadText(LocaleName, LOCALE_SABBREVMONTHNAME1 + m, fs.ShortMonthNames[m]);
    ReadText(LocaleName, LOCALE_SMONTHNAME1 + m, fs.LongMonthNames[m]);
  }
  // The system counts from Monday, the record from Sunday.
  for (LCTYPE d = 0; d < 7; ++d) {
    ReadText(LocaleName, LOCALE_SABBREVDAYNAME1 + d, fs.ShortDayNames[(d + 1) % 7]);
    ReadText(LocaleName, LOCALE_SDAYNAME1 + d, fs.LongDayNames[(d + 1) % 7]);
  }
  return fs;
}

FormatSettings ReadUserFormatSettings() { return ReadFormatSettings(LOCALE_NAME_USER_DEFAULT); }

DateTime UTCToLocalDateTime(DateTime Value) {
  TIME_ZONE_INFORMATION tz{};
  if (::GetTimeZoneInformation(&tz) == TIME_ZONE_ID_INVALID) return Value;
  DateTimeParts p;
  if (!TryDecodeDateTime(Value, p) || p.Year < 1601) return Value;
  SYSTEMTIME utc{};
  utc.wYear = static_cast<WORD>(p.Year);
  utc.wMonth = static_cast<WORD>(p.Month);
  utc.wDay = static_cast<WORD>(p.Day);
  utc.wDayOfWeek = static_cast<WORD>(p.DayOfWeek);
  utc.wHour = static_cast<WORD>(p.Hour);
  utc.wMinute = static_cast<WORD>(p.Minute);
  utc.wSecond = static_cast<WORD>(p.Second);
  utc.wMilliseconds = static_cast<WORD>(p.Millisecond);
  SYSTEMTIME local{};
  if (!::SystemTimeToTzSpecificLocalTime(&tz, &utc, &local)) return Value;
  DateTime result = 0;
  if (!TryEncodeDateTime(
          {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, local.wMilliseconds, 0},
          result))
    return Value;
  return result;
}

DateTime FileTimeToDateTime(const FILETIME& FileTime, bool ToLocal) {
  const uint64_t ticks = FileTimeTicks(FileTime);
  const DateTime utc = FileTimeToDateTime(ticks);
  if (utc == 0 && ticks != DateTimeToFileTime(0)) return 0;  // not encodable
  return ToLocal ? UTCToLocalDateTime(utc) : utc;
}

std::wstring DateTimeToStrDef(std::wstring_view Default, DateTime Value) {
  return DateTimeToStrDef(Default, Value, ReadUserFormatSettings());
}

int CompareTextValues(std::wstring_view S1, std::wstring_view S2, int MaxLen) {
  return CompareTextValues(S1, S2, MaxLen, ReadUserFormatSettings());
}

std::wstring FormatSeconds(double Seconds, bool WholeSeconds, bool Full, bool Digital) {
  return FormatSeconds(Seconds, WholeSeconds, Full, Digital, ReadUserFormatSettings());
}

std::string WideToAnsi(std::wstring_view S, UINT CodePage) {
  if (S.empty() || S.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
  const int length = static_cast<int>(S.size());
  DWORD flags = CodePage == CP_UTF8 ? 0 : WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;
  int size = ::WideCharToMultiByte(CodePage, flags, S.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0 && flags != 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;  // code pages such as 50220 or 54936 take no flags
    size = ::WideCharToMultiByte(CodePage, flags, S.data(), length, nullptr, 0, nullptr, nullptr);
  }
  if (size <= 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  size = ::WideCharToMultiByte(CodePage, flags, S.data(), length, out.data(), size, nullptr, nullptr);
  if (size <= 0) return {};
  out.resize(static_cast<size_t>(size));
  return out;
}

}  // namespace vantrel

namespace vantrel {

std::wstring ExceptionMessage(const std::exception& e) {
  const char* text = e.what();
  if (!text || !*text) return L"";
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (n <= 1) return L"";
  std::wstring s(static_cast<size_t>(n - 1), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text, -1, s.data(), n);
  return s;
}

DateTime Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return EncodeDateTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

std::wstring SystemErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring result = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(error);
  if (text) ::LocalFree(text);
  while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
    result.pop_back();
  return result;
}

}  // namespace vantrel
