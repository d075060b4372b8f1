// The user's regional settings, time-zone and file-time conversion, code-page conversion, and the system's message
// texts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "core/text/date_time.h"
#include "core/text/format_settings.h"
#include "core/text/text_compare.h"

namespace vantrel {

// The settings of a locale (LOCALE_NAME_USER_DEFAULT, or a name such as L"de-DE"), read now; a value the system
// does not give keeps the invariant one.
FormatSettings ReadFormatSettings(const wchar_t* LocaleName);
FormatSettings ReadUserFormatSettings();

// The system's message text for an error code, without the trailing line break; "Error n" when it has none.
std::wstring SystemErrorText(DWORD error);

// The same instant in the machine's current time zone; Value unchanged when the zone or the conversion fails.
DateTime UTCToLocalDateTime(DateTime Value);

inline uint64_t FileTimeTicks(const FILETIME& Ft) {
  return (static_cast<uint64_t>(Ft.dwHighDateTime) << 32) | Ft.dwLowDateTime;
}
inline FILETIME TicksToFileTime(uint64_t Ticks) {
  return FILETIME{static_cast<DWORD>(Ticks & 0xFFFFFFFFu), static_cast<DWORD>(Ticks >> 32)};
}
// 0 when the file time cannot be encoded; a zero file time gives 1601-01-01 (shown as the default text).
DateTime FileTimeToDateTime(const FILETIME& FileTime, bool ToLocal);

// The user's settings, read at each call. A list that sorts many rows should read the settings once and compare
// precomputed keys (MakeCellSortKey) instead.
std::wstring DateTimeToStrDef(std::wstring_view Default, DateTime Value);
// The local date and time now.
DateTime Now();
int CompareTextValues(std::wstring_view S1, std::wstring_view S2, int MaxLen);
std::wstring FormatSeconds(double Seconds, bool WholeSeconds, bool Full, bool Digital);

// WideCharToMultiByte with no flags for UTF-8 and WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR
// otherwise (without flags for the code pages that reject them). Empty for an empty S or a failed conversion.
std::string WideToAnsi(std::wstring_view S, UINT CodePage);

// The message of a caught exception (UTF-8, as our own code writes them) for the log.
std::wstring ExceptionMessage(const std::exception& e);

}  // namespace vantrel
