// Day-count date-times, file-time conversion, date-time text and parsing, and duration texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/format_settings.h"

namespace vantrel {

// Whole days since 1899-12-30 plus the fraction of the day. Before that day the fraction counts away from zero:
// -1.25 is 1899-12-29 06:00. Valid calendar range: years 1 to 9999.
using DateTime = double;

struct DateTimeParts {
  int Year = 0, Month = 0, Day = 0;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
  int DayOfWeek = 0;  // 0 = Sunday; filled by TryDecodeDateTime, ignored by the encoders
};

bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);  // 0 for a month outside 1..12
bool TryEncodeDate(int Year, int Month, int Day, DateTime& Value);
bool TryEncodeTime(int Hour, int Minute, int Second, int Millisecond, DateTime& Value);
bool TryEncodeDateTime(const DateTimeParts& Parts, DateTime& Value);
// 0 when the parts are not a valid calendar time.
DateTime EncodeDateTime(int Year, int Month, int Day, int Hour = 0, int Minute = 0, int Second = 0,
                        int Millisecond = 0);
// Rounds to the millisecond. False for NaN, infinities and values outside years 1..9999.
bool TryDecodeDateTime(DateTime Value, DateTimeParts& Parts);
// Milliseconds on a linear scale (0 = 1899-12-30 00:00), for exact comparison; false like TryDecodeDateTime.
bool TryDateTimeToMSecs(DateTime Value, int64_t& MSecs);

// A FILETIME's 64-bit value: 100-ns ticks since 1601-01-01 UTC. UTC in, UTC out, milliseconds kept (the rest
// truncated); 0 when the ticks do not fall in years 1601..9999. A tick count of 0 gives 1601-01-01, a negative value.
DateTime FileTimeToDateTime(uint64_t Ticks);
// The plain inverse, with no time-zone shift; 0 for values before 1601 or not a valid date-time.
uint64_t DateTimeToFileTime(DateTime Value);

// Formats Value with a Windows date/time picture string; empty when Value is not a valid date-time.
std::wstring FormatDateTime(std::wstring_view Picture, DateTime Value, const FormatSettings& Settings);
// Default when Value <= 0 (or not a valid date-time); else short date, a blank and the long time, the time left out
// at exactly 00:00:00.000.
std::wstring DateTimeToStrDef(std::wstring_view Default, DateTime Value, const FormatSettings& Settings);

// A date part needs the date separator twice (or once, as the last character); a time part needs the time
// separator. Neither: false and Value untouched. A part present but not a valid date or time: false and Value = 0.
// Dates are read in the order of the short date format (two-digit years: 50..99 -> 19xx, 00..49 -> 20xx); times
// as h:m[:s[.fff]] with an optional AM/PM designator before or after.
bool TryTextToDateTime(std::wstring_view S, DateTime& Value, const FormatSettings& Settings);

// Seconds is clamped to [0, kFormatSecondsMax] first (NaN and negatives give the text of 0). Layouts:
// Digital+Full "yy.mm.dd hh:mm:ss" (weeks folded into days), Digital "hh:mm:ss" (hours modulo 24),
// Full words "0 c, 0 yr, 0 m, 0 wk, 0 d, 0 h, 1 min, 30 s", short words from the first non-zero unit. A year is
// 365.5 days, a month 30 days. Without WholeSeconds the seconds keep two decimals (locale decimal separator).
inline constexpr double kFormatSecondsMax = 1e14;  // about 3.2 million years; every unit count stays below 65,536
std::wstring FormatSeconds(double Seconds, bool WholeSeconds, bool Full, bool Digital, const FormatSettings& Settings);

}  // namespace vantrel
