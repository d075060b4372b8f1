#include "core/text/date_time.h"

#include <array>
#include <cmath>
#include <limits>

#include "core/text/char_fold.h"

namespace vantrel {

using text_detail::FoldSimple;
using text_detail::IsAsciiDigit;
using text_detail::IsFieldBlank;

namespace {

constexpr int64_t kMSecsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date.
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

constexpr void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

// Day numbers relative to 1899-12-30.
constexpr int64_t kEpochUnixDays = DaysFromCivil(1899, 12, 30);
constexpr int64_t DayNumber(int y, int m, int d) {
  return DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kEpochUnixDays;
}
constexpr int64_t kMinDay = DayNumber(1, 1, 1);
constexpr int64_t kMaxDay = DayNumber(9999, 12, 31);
constexpr int64_t kFileTimeDay = DayNumber(1601, 1, 1);
static_assert(DayNumber(1970, 1, 1) == 25569);
static_assert(kFileTimeDay == -109205);

DateTime FromDayAndMSecs(int64_t day, int64_t msOfDay) {
  const double fraction = static_cast<double>(msOfDay) / static_cast<double>(kMSecsPerDay);
  const auto d = static_cast<double>(day);
  return day >= 0 ? d + fraction : d - fraction;
}

bool SplitDateTime(DateTime value, int64_t& day, int64_t& msOfDay) {
  if (!std::isfinite(value) || value < static_cast<double>(kMinDay) - 1.0 || value > static_cast<double>(kMaxDay) + 1.0)
    return false;
  const double whole = std::trunc(value);
  day = static_cast<int64_t>(whole);
  msOfDay = std::llround(std::fabs(value - whole) * static_cast<double>(kMSecsPerDay));
  if (msOfDay >= kMSecsPerDay) {  // rounded up to the next midnight
    msOfDay -= kMSecsPerDay;
    ++day;
  }
  return day >= kMinDay && day <= kMaxDay;
}

}  // namespace

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInMonth(int Year, int Month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && IsLeapYear(Year) ? 29 : kDays[Month - 1];
}

bool TryEncodeDate(int Year, int Month, int Day, DateTime& Value) {
  if (Year < 1 || Year > 9999 || Day < 1 || Day > DaysInMonth(Year, Month)) return false;
  Value = static_cast<double>(DayNumber(Year, Month, Day));
  return true;
}

bool TryEncodeTime(int Hour, int Minute, int Second, int Millisecond, DateTime& Value) {
  if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59 || Millisecond < 0 ||
      Millisecond > 999)
    return false;
  Value = FromDayAndMSecs(0, ((Hour * 60LL + Minute) * 60 + Second) * 1000 + Millisecond);
  return true;
}

bool TryEncodeDateTime(const DateTimeParts& P, DateTime& Value) {
  DateTime date = 0, time = 0;
  if (!TryEncodeDate(P.Year, P.Month, P.Day, date) || !TryEncodeTime(P.Hour, P.Minute, P.Second, P.Millisecond, time))
    return false;
  Value = FromDayAndMSecs(static_cast<int64_t>(date), std::llround(time * static_cast<double>(kMSecsPerDay)));
  return true;
}

DateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second, int Millisecond) {
  DateTime value = 0;
  return TryEncodeDateTime({Year, Month, Day, Hour, Minute, Second, Millisecond, 0}, value) ? value : 0;
}

bool TryDecodeDateTime(DateTime Value, DateTimeParts& P) {
  int64_t day = 0, ms = 0;
  if (!SplitDateTime(Value, day, ms)) return false;
  CivilFromDays(day + kEpochUnixDays, P.Year, P.Month, P.Day);
  P.DayOfWeek = static_cast<int>(((day % 7) + 7 + 6) % 7);  // 1899-12-30 was a Saturday
  P.Millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  P.Second = static_cast<int>(ms % 60);
  ms /= 60;
  P.Minute = static_cast<int>(ms % 60);
  P.Hour = static_cast<int>(ms / 60);
  return true;
}

bool TryDateTimeToMSecs(DateTime Value, int64_t& MSecs) {
  int64_t day = 0, ms = 0;
  if (!SplitDateTime(Value, day, ms)) return false;
  MSecs = day * kMSecsPerDay + ms;
  return true;
}

DateTime FileTimeToDateTime(uint64_t Ticks) {
  if (Ticks > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return 0;
  const auto ms = static_cast<int64_t>(Ticks / 10'000);
  const int64_t day = kFileTimeDay + ms / kMSecsPerDay;
  if (day > kMaxDay) return 0;
  return FromDayAndMSecs(day, ms % kMSecsPerDay);
}

uint64_t DateTimeToFileTime(DateTime Value) {
  int64_t day = 0, ms = 0;
  if (!SplitDateTime(Value, day, ms) || day < kFileTimeDay) return 0;
  return static_cast<uint64_t>(((day - kFileTimeDay) * kMSecsPerDay + ms) * 10'000);
}

// ---- Formatting -------------------------------------------------------------------------------------------------

namespace {

void AppendNumber(std::wstring& out, long long value, int minDigits) {
  const std::wstring digits = std::to_wstring(value < 0 ? -value : value);
  if (value < 0) out += L'-';
  for (int i = static_cast<int>(digits.size()); i < minDigits; ++i) out += L'0';
  out += digits;
}

bool IsPictureLetter(wchar_t c) {
  switch (c) {
    case L'd':
    case L'M':
    case L'y':
    case L'g':
    case L'h':
    case L'H':
    case L'm':
    case L's':
    case L't': return true;
    default: return false;
  }
}

std::wstring FormatParts(std::wstring_view pic, const DateTimeParts& p, const FormatSettings& fs) {
  std::wstring out;
  size_t i = 0;
  while (i < pic.size()) {
    const wchar_t c = pic[i];
    if (c == L'\'') {
      ++i;
      if (i < pic.size() && pic[i] == L'\'') {  // '' is one apostrophe
        out += L'\'';
        ++i;
        continue;
      }
      while (i < pic.size()) {
        if (pic[i] == L'\'') {
          if (i + 1 < pic.size() && pic[i + 1] == L'\'') {
            out += L'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += pic[i++];
      }
      continue;
    }
    if (!IsPictureLetter(c)) {
      out += c;
      ++i;
      continue;
    }
    size_t n = 1;
    while (i + n < pic.size() && pic[i + n] == c) ++n;
    i += n;
    const int w = n >= 2 ? 2 : 1;
    const std::wstring& pmText = p.Hour < 12 ? fs.TimeAMString : fs.TimePMString;
    switch (c) {
      case L'd':
        if (n <= 2) AppendNumber(out, p.Day, w);
        else out += (n == 3 ? fs.ShortDayNames : fs.LongDayNames)[static_cast<size_t>(p.DayOfWeek)];
        break;
      case L'M':
        if (n <= 2) AppendNumber(out, p.Month, w);
        else out += (n == 3 ? fs.ShortMonthNames : fs.LongMonthNames)[static_cast<size_t>(p.Month - 1)];
        break;
      case L'y':  // y and yy alike, as the system writes them
        if (n <= 2) AppendNumber(out, p.Year % 100, 2);
        else AppendNumber(out, p.Year, 4);
        break;
      case L'g':  // era names are not shown
        break;
      case L'h': AppendNumber(out, p.Hour % 12 == 0 ? 12 : p.Hour % 12, w); break;
      case L'H': AppendNumber(out, p.Hour, w); break;
      case L'm': AppendNumber(out, p.Minute, w); break;
      case L's': AppendNumber(out, p.Second, w); break;
      case L't':
        if (n == 1) {
          if (!pmText.empty()) out += pmText[0];
        } else {
          out += pmText;
        }
        break;
      default: break;
    }
  }
  return out;
}

}  // namespace

std::wstring FormatDateTime(std::wstring_view Picture, DateTime Value, const FormatSettings& Settings) {
  DateTimeParts p;
  if (!TryDecodeDateTime(Value, p)) return {};
  return FormatParts(Picture, p, Settings);
}

std::wstring DateTimeToStrDef(std::wstring_view Default, DateTime Value, const FormatSettings& Settings) {
  DateTimeParts p;
  if (!(Value > 0) || !TryDecodeDateTime(Value, p)) return std::wstring(Default);
  std::wstring text = FormatParts(Settings.ShortDateFormat, p, Settings);
  if (p.Hour != 0 || p.Minute != 0 || p.Second != 0 || p.Millisecond != 0) {
    text += L' ';
    text += FormatParts(Settings.LongTimeFormat, p, Settings);
  }
  return text;
}

// ---- Parsing ----------------------------------------------------------------------------------------------------

namespace {

struct Scanner {
  std::wstring_view s;
  size_t i = 0;

  bool AtEnd() const { return i >= s.size(); }
  wchar_t Peek() const { return i < s.size() ? s[i] : L'\0'; }
  void SkipBlanks() {
    while (i < s.size() && IsFieldBlank(s[i])) ++i;
  }
  bool Eat(wchar_t c) {
    if (c == L'\0' || Peek() != c) return false;
    ++i;
    return true;
  }
  // 1 to maxDigits ASCII digits; more digits are not a field.
  bool Number(int maxDigits, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (i < s.size() && IsAsciiDigit(s[i])) {
      if (++digits > maxDigits) return false;
      value = value * 10 + (s[i] - L'0');
      ++i;
    }
    return digits > 0;
  }
  // Case-insensitive match of a non-empty word at the current position.
  bool EatWord(std::wstring_view word) {
    if (word.empty() || s.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
      if (FoldSimple(s[i + k]) != FoldSimple(word[k])) return false;
    i += word.size();
    return true;
  }
};

// Field order of the short date format: the first 'd', 'M' and 'y' outside quotes.
std::array<wchar_t, 3> DateOrder(std::wstring_view format) {
  std::array<wchar_t, 3> order{};
  int found = 0;
  bool quoted = false;
  for (wchar_t c : format) {
    if (c == L'\'') quoted = !quoted;
    if (quoted || (c != L'd' && c != L'M' && c != L'y')) continue;
    bool seen = false;
    for (int k = 0; k < found; ++k) seen = seen || order[static_cast<size_t>(k)] == c;
    if (!seen && found < 3) order[static_cast<size_t>(found++)] = c;
  }
  if (found < 3) return {L'M', L'd', L'y'};
  return order;
}

bool ScanMonthName(Scanner& sc, const FormatSettings& fs, int& month) {
  for (const auto* names : {&fs.LongMonthNames, &fs.ShortMonthNames}) {  // long first: "June" before "Jun"
    for (size_t k = 0; k < 12; ++k) {
      const size_t save = sc.i;
      if (sc.EatWord((*names)[k])) {
        if (!sc.AtEnd() && !IsFieldBlank(sc.Peek()) && sc.Peek() != fs.DateSeparator) {
          sc.i = save;
          continue;
        }
        month = static_cast<int>(k) + 1;
        return true;
      }
    }
  }
  return false;
}

bool ScanDate(Scanner& sc, const FormatSettings& fs, DateTimeParts& p) {
  const auto order = DateOrder(fs.ShortDateFormat);
  int values[3] = {}, digits[3] = {};
  for (size_t k = 0; k < 3; ++k) {
    sc.SkipBlanks();
    if (order[k] == L'M' && !IsAsciiDigit(sc.Peek())) {
      if (!ScanMonthName(sc, fs, values[k])) return false;
      digits[k] = 2;
    } else if (!sc.Number(4, values[k], digits[k])) {
      return false;
    }
    if (k < 2) {
      sc.SkipBlanks();
      if (!sc.Eat(fs.DateSeparator)) return false;
    }
  }
  const size_t save = sc.i;  // a trailing separator ("2024. 3. 5.")
  sc.SkipBlanks();
  if (!sc.Eat(fs.DateSeparator)) sc.i = save;
  for (size_t k = 0; k < 3; ++k) {
    switch (order[k]) {
      case L'd': p.Day = values[k]; break;
      case L'M': p.Month = values[k]; break;
      default:
        p.Year = values[k];
        if (digits[k] <= 2) p.Year += p.Year < 50 ? 2000 : 1900;
        break;
    }
  }
  DateTime unused = 0;
  return TryEncodeDate(p.Year, p.Month, p.Day, unused);
}

// -1: none, 0: AM, 1: PM.
int ScanDesignator(Scanner& sc, const FormatSettings& fs) {
  // The longer designator first, in case one begins with the other.
  const bool pmFirst = fs.TimePMString.size() > fs.TimeAMString.size();
  for (int pass = 0; pass < 2; ++pass) {
    const bool pm = (pass == 0) == pmFirst;
    if (sc.EatWord(pm ? fs.TimePMString : fs.TimeAMString)) return pm ? 1 : 0;
  }
  return -1;
}

bool ScanTime(Scanner& sc, const FormatSettings& fs, DateTimeParts& p) {
  int digits = 0;
  sc.SkipBlanks();
  int designator = ScanDesignator(sc, fs);
  sc.SkipBlanks();
  p.Second = p.Millisecond = 0;
  if (!sc.Number(2, p.Hour, digits) || !sc.Eat(fs.TimeSeparator) || !sc.Number(2, p.Minute, digits)) return false;
  if (sc.Eat(fs.TimeSeparator)) {
    if (!sc.Number(2, p.Second, digits)) return false;
    if (sc.Eat(fs.DecimalSeparator) || sc.Eat(L'.')) {
      if (!sc.Number(3, p.Millisecond, digits)) return false;
      for (; digits < 3; ++digits) p.Millisecond *= 10;
    }
  }
  sc.SkipBlanks();
  if (designator < 0) {
    designator = ScanDesignator(sc, fs);
    sc.SkipBlanks();
  }
  if (designator >= 0) {
    if (p.Hour > 12) return false;
    p.Hour = p.Hour % 12 + (designator == 1 ? 12 : 0);
  }
  DateTime unused = 0;
  return TryEncodeTime(p.Hour, p.Minute, p.Second, p.Millisecond, unused);
}

}  // namespace

bool TryTextToDateTime(std::wstring_view S, DateTime& Value, const FormatSettings& Settings) {
  bool hasDate = false;
  const wchar_t ds = Settings.DateSeparator;
  if (const size_t first = ds ? S.find(ds) : std::wstring_view::npos; first != std::wstring_view::npos)
    hasDate = first + 1 == S.size() || S.find(ds, first + 1) != std::wstring_view::npos;
  const bool hasTime = Settings.TimeSeparator && S.find(Settings.TimeSeparator) != std::wstring_view::npos;
  if (!hasDate && !hasTime) return false;

  Scanner sc{S};
  DateTimeParts p;
  DateTime value = 0;
  bool ok = false;
  if (hasDate) {
    ok = ScanDate(sc, Settings, p);
    sc.SkipBlanks();
    if (ok && !sc.AtEnd()) ok = ScanTime(sc, Settings, p);
    ok = ok && TryEncodeDateTime(p, value);
  } else {
    ok = ScanTime(sc, Settings, p) && TryEncodeTime(p.Hour, p.Minute, p.Second, p.Millisecond, value);
  }
  sc.SkipBlanks();
  ok = ok && sc.AtEnd();
  Value = ok ? value : 0;
  return ok;
}

// ---- Durations --------------------------------------------------------------------------------------------------

namespace {

struct Unit {
  double seconds;
  const wchar_t* label;
};
constexpr Unit kUnits[7] = {{3'157'920'000.0, L" c, "}, {31'579'200.0, L" yr, "}, {2'592'000.0, L" m, "},
                            {604'800.0, L" wk, "},      {86'400.0, L" d, "},      {3'600.0, L" h, "},
                            {60.0, L" min, "}};
enum { kCentury, kYear, kMonth, kWeek, kDay, kHour, kMinute };

// Two decimals, half away from zero, at least minIntDigits integer digits. seconds is below 60 here.
std::wstring FixedTwo(double seconds, int minIntDigits, wchar_t decimalSeparator) {
  const long long hundredths = std::llround(seconds * 100.0);
  std::wstring out;
  AppendNumber(out, hundredths / 100, minIntDigits);
  out += decimalSeparator;
  AppendNumber(out, hundredths % 100, 2);
  return out;
}

}  // namespace

std::wstring FormatSeconds(double Seconds, bool WholeSeconds, bool Full, bool Digital, const FormatSettings& Settings) {
  double rest = Seconds > 0 ? Seconds : 0;  // NaN fails the test too
  if (rest > kFormatSecondsMax) rest = kFormatSecondsMax;
  long long counts[7] = {};
  for (size_t k = 0; k < 7; ++k) {
    double q = std::floor(rest / kUnits[k].seconds);
    if (q * kUnits[k].seconds > rest) q -= 1;  // the quotient rounded up to a whole number
    if (q < 0) q = 0;
    counts[k] = static_cast<long long>(q);
    rest -= q * kUnits[k].seconds;
    if (rest < 0) rest = 0;
  }
  if (WholeSeconds) rest = std::trunc(rest);

  std::wstring out;
  if (Digital) {
    if (Full) {
      AppendNumber(out, counts[kYear], 2);
      out += L'.';
      AppendNumber(out, counts[kMonth], 2);
      out += L'.';
      AppendNumber(out, counts[kDay] + 7 * counts[kWeek], 2);
      out += L' ';
    }
    AppendNumber(out, counts[kHour], 2);
    out += L':';
    AppendNumber(out, counts[kMinute], 2);
    out += L':';
    if (WholeSeconds) AppendNumber(out, static_cast<long long>(rest), 2);
    else out += FixedTwo(rest, 2, Settings.DecimalSeparator);
    return out;
  }
  size_t first = 0;
  if (!Full)
    while (first < 7 && counts[first] == 0) ++first;
  for (size_t k = first; k < 7; ++k) {
    AppendNumber(out, counts[k], 1);
    out += kUnits[k].label;
  }
  if (WholeSeconds) AppendNumber(out, static_cast<long long>(rest), 1);
  else out += FixedTwo(rest, 1, Settings.DecimalSeparator);
  out += L" s";
  return out;
}

}  // namespace vantrel
