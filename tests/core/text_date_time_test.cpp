#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text/date_time.h"

namespace vantrel {
namespace {

// Locale records shaped like the ones Windows gives for a few regions.
FormatSettings UsSettings() {
  FormatSettings fs;
  fs.ShortDateFormat = L"M/d/yyyy";
  fs.LongTimeFormat = L"h:mm:ss tt";
  return fs;
}
FormatSettings GermanSettings() {
  FormatSettings fs;
  fs.DecimalSeparator = L',';
  fs.ThousandSeparator = L'.';
  fs.DateSeparator = L'.';
  fs.ShortDateFormat = L"dd.MM.yyyy";
  fs.LongTimeFormat = L"HH:mm:ss";
  return fs;
}
FormatSettings ChineseSettings() {
  FormatSettings fs;
  fs.ShortDateFormat = L"yyyy/M/d";
  fs.LongTimeFormat = L"H:mm:ss";
  fs.TimeAMString = L"上午";
  fs.TimePMString = L"下午";
  return fs;
}
FormatSettings KoreanSettings() {  // designator before the time, '-' between date fields
  FormatSettings fs;
  fs.DateSeparator = L'-';
  fs.ShortDateFormat = L"yyyy-MM-dd";
  fs.LongTimeFormat = L"tt h:mm:ss";
  fs.TimeAMString = L"오전";
  fs.TimePMString = L"오후";
  return fs;
}
FormatSettings MonthNameSettings() {
  FormatSettings fs;
  fs.DateSeparator = L'-';
  fs.ShortDateFormat = L"dd-MMM-yy";
  fs.LongTimeFormat = L"HH:mm:ss";
  return fs;
}

TEST(DateTimeEncoding, DayCountsMatchTheCalendar) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDateTime(1970, 1, 1), 25569.0);
  EXPECT_EQ(EncodeDateTime(1970, 1, 1, 18), 25569.75);
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6), -1.25);  // before the epoch the time counts away from zero
  EXPECT_EQ(EncodeDateTime(1601, 1, 1), -109205.0);
  EXPECT_EQ(EncodeDateTime(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDateTime(9999, 12, 31), 2958465.0);

  struct Bad {
    int y, m, d, h, n, s, ms;
  } bad[] = {{2023, 2, 29, 0, 0, 0, 0}, {2024, 2, 30, 0, 0, 0, 0}, {2100, 2, 29, 0, 0, 0, 0}, {0, 1, 1, 0, 0, 0, 0},
             {10000, 1, 1, 0, 0, 0, 0}, {2024, 13, 1, 0, 0, 0, 0}, {2024, 4, 31, 0, 0, 0, 0}, {2024, 1, 1, 24, 0, 0, 0},
             {2024, 1, 1, 0, 60, 0, 0}, {2024, 1, 1, 0, 0, 60, 0}, {2024, 1, 1, 0, 0, 0, 1000}};
  for (const Bad& b : bad) {
    DateTime v = 7;
    EXPECT_FALSE(TryEncodeDateTime({b.y, b.m, b.d, b.h, b.n, b.s, b.ms, 0}, v)) << b.y << "-" << b.m << "-" << b.d;
  }
  DateTime leap = 0;
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, leap));
}

TEST(DateTimeEncoding, DecodeInvertsEncodeToTheMillisecond) {
  const DateTimeParts samples[] = {{2024, 3, 5, 14, 7, 9, 123, 0}, {1899, 12, 29, 6, 0, 0, 0, 0},
                                    {1601, 1, 1, 23, 59, 59, 999, 0}, {1, 1, 1, 0, 0, 0, 1, 0},
                                    {9999, 12, 31, 23, 59, 59, 999, 0}, {1899, 12, 30, 0, 0, 0, 1, 0}};
  for (const DateTimeParts& in : samples) {
    DateTime v = 0;
    ASSERT_TRUE(TryEncodeDateTime(in, v));
    DateTimeParts out;
    ASSERT_TRUE(TryDecodeDateTime(v, out));
    EXPECT_EQ(std::vector<int>({out.Year, out.Month, out.Day, out.Hour, out.Minute, out.Second, out.Millisecond}),
              std::vector<int>({in.Year, in.Month, in.Day, in.Hour, in.Minute, in.Second, in.Millisecond}));
  }
  DateTimeParts p;
  ASSERT_TRUE(TryDecodeDateTime(EncodeDateTime(2024, 3, 5), p));
  EXPECT_EQ(p.DayOfWeek, 2);  // a Tuesday
  for (double v : {std::nan(""), std::numeric_limits<double>::infinity(), 2958466.0, -693594.5, 1e300})
    EXPECT_FALSE(TryDecodeDateTime(v, p)) << v;
  // A value a hair below midnight rounds to the next day, not to hour 24.
  ASSERT_TRUE(TryDecodeDateTime(EncodeDateTime(2024, 3, 5) + 1 - 1e-10, p));
  EXPECT_EQ(std::vector<int>({p.Day, p.Hour, p.Minute}), std::vector<int>({6, 0, 0}));
}

TEST(FileTimeConversion, TicksSince1601ToDayCountsAndBack) {
  constexpr uint64_t kUnixEpochTicks = 116444736000000000ULL;
  EXPECT_EQ(FileTimeToDateTime(kUnixEpochTicks), 25569.0);
  EXPECT_EQ(FileTimeToDateTime(0), EncodeDateTime(1601, 1, 1));
  EXPECT_LT(FileTimeToDateTime(0), 0.0);
  // Sub-millisecond ticks are truncated, as a calendar time holds milliseconds only.
  EXPECT_EQ(FileTimeToDateTime(kUnixEpochTicks + 12'349'999), EncodeDateTime(1970, 1, 1, 0, 0, 1, 234));
  // Out of the encodable range: the high bit set, or a year above 9999.
  EXPECT_EQ(FileTimeToDateTime(0x8000000000000000ULL), 0.0);
  EXPECT_EQ(FileTimeToDateTime(0x7FFFFFFFFFFFFFFFULL), 0.0);

  for (DateTime v : {EncodeDateTime(2024, 3, 5, 14, 7, 9, 123), EncodeDateTime(1601, 1, 1),
                      EncodeDateTime(1899, 12, 29, 6), EncodeDateTime(9999, 12, 31, 23, 59, 59, 999)})
    EXPECT_EQ(FileTimeToDateTime(DateTimeToFileTime(v)), v);
  EXPECT_EQ(DateTimeToFileTime(25569.0), kUnixEpochTicks);
  EXPECT_EQ(DateTimeToFileTime(EncodeDateTime(1600, 12, 31)), 0u);
  EXPECT_EQ(DateTimeToFileTime(std::nan("")), 0u);
}

TEST(FormatDateTime, WindowsPictureElements) {
  const DateTime v = EncodeDateTime(2005, 3, 5, 14, 7, 9);
  const DateTime morning = EncodeDateTime(2005, 3, 5, 0, 7, 9);
  struct Case {
    const wchar_t* picture;
    DateTime value;
    const wchar_t* text;
  } cases[] = {
      {L"d/M/y", v, L"5/3/05"},
      {L"dd.MM.yy", v, L"05.03.05"},
      {L"yyyy-MM-dd", v, L"2005-03-05"},
      {L"dddd, MMMM d, yyyy", v, L"Saturday, March 5, 2005"},
      {L"ddd d MMM", v, L"Sat 5 Mar"},
      {L"H:m:s", v, L"14:7:9"},
      {L"HH:mm:ss", morning, L"00:07:09"},
      {L"h:mm tt", v, L"2:07 PM"},
      {L"hh:mm t", morning, L"12:07 A"},
      {L"'Day' d', o''clock' H", v, L"Day 5, o'clock 14"},
      {L"''yy''", v, L"'05'"},
      {L"gg yyyy'unterminated", v, L" 2005unterminated"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.picture, c.value, FormatSettings{}), c.text) << c.picture;
  EXPECT_EQ(FormatDateTime(L"yyyy", std::nan(""), FormatSettings{}), L"");
}

TEST(DateTimeToStrDef, ShortDateAndLongTimeOrTheDefault) {
  const DateTime afternoon = EncodeDateTime(2024, 3, 5, 14, 7, 9);
  const DateTime midnight = EncodeDateTime(2024, 3, 5);
  struct Case {
    FormatSettings fs;
    DateTime value;
    const wchar_t* text;
  } cases[] = {
      {FormatSettings{}, afternoon, L"03/05/2024 14:07:09"},
      {FormatSettings{}, midnight, L"03/05/2024"},
      {FormatSettings{}, midnight + 1.0 / 86400000.0, L"03/05/2024 00:00:00"},  // 1 ms past midnight
      {UsSettings(), afternoon, L"3/5/2024 2:07:09 PM"},
      {UsSettings(), EncodeDateTime(2024, 3, 5, 0, 5), L"3/5/2024 12:05:00 AM"},
      {GermanSettings(), afternoon, L"05.03.2024 14:07:09"},
      {ChineseSettings(), afternoon, L"2024/3/5 14:07:09"},
      {KoreanSettings(), afternoon, L"2024-03-05 오후 2:07:09"},
  };
  for (const Case& c : cases) EXPECT_EQ(DateTimeToStrDef(L"-", c.value, c.fs), c.text);

  for (DateTime none : {0.0, -1.25, FileTimeToDateTime(0), std::nan(""), 3e6})
    EXPECT_EQ(DateTimeToStrDef(L"n/a", none, FormatSettings{}), L"n/a") << none;
}

TEST(TryTextToDateTime, ReadsTextsInTheLocaleOrder) {
  const DateTime kUntouched = 42;
  struct Case {
    FormatSettings fs;
    const wchar_t* text;
    bool ok;
    DateTime value;  // expected Value afterwards
  } cases[] = {
      {FormatSettings{}, L"03/05/2024 14:07:09", true, EncodeDateTime(2024, 3, 5, 14, 7, 9)},
      {FormatSettings{}, L" 3/5/2024 ", true, EncodeDateTime(2024, 3, 5)},
      {FormatSettings{}, L"12:05:01", true, EncodeDateTime(1899, 12, 30, 12, 5, 1)},
      {FormatSettings{}, L"9:00", true, EncodeDateTime(1899, 12, 30, 9)},
      {FormatSettings{}, L"12:05:01.5", true, EncodeDateTime(1899, 12, 30, 12, 5, 1, 500)},
      {FormatSettings{}, L"02/30/2024", false, 0},  // a date part that is no date
      {FormatSettings{}, L"2/29/2023", false, 0},
      {FormatSettings{}, L"25:00:00", false, 0},
      {FormatSettings{}, L"12:60", false, 0},
      {FormatSettings{}, L"12/", false, 0},  // one separator, the last character: a date part
      {FormatSettings{}, L"3/5/2024 14:07:09 x", false, 0},
      {FormatSettings{}, L"12345/1/1", false, 0},
      {FormatSettings{}, L"1/2", false, kUntouched},  // one separator: neither part
      {FormatSettings{}, L"abc", false, kUntouched},
      {FormatSettings{}, L"1,024 K", false, kUntouched},
      {UsSettings(), L"3/5/2024 2:07:09 PM", true, EncodeDateTime(2024, 3, 5, 14, 7, 9)},
      {UsSettings(), L"12:00:00 am", true, 0},
      {UsSettings(), L"12:30 PM", true, EncodeDateTime(1899, 12, 30, 12, 30)},
      {UsSettings(), L"13:00 PM", false, 0},
      {GermanSettings(), L"5.3.2024 14:07", true, EncodeDateTime(2024, 3, 5, 14, 7)},
      {GermanSettings(), L"05.03.24", true, EncodeDateTime(2024, 3, 5)},
      {GermanSettings(), L"05.03.99", true, EncodeDateTime(1999, 3, 5)},
      {GermanSettings(), L"30.02.2024", false, 0},
      {GermanSettings(), L"1.234.567", false, 0},
      {GermanSettings(), L"1,5", false, kUntouched},
      {ChineseSettings(), L"2024/3/5 14:07:09", true, EncodeDateTime(2024, 3, 5, 14, 7, 9)},
      {ChineseSettings(), L"2024/2/30", false, 0},
      {ChineseSettings(), L"下午2:07", true, EncodeDateTime(1899, 12, 30, 14, 7)},
      {KoreanSettings(), L"2024-03-05 오후 2:07:09", true, EncodeDateTime(2024, 3, 5, 14, 7, 9)},
      {MonthNameSettings(), L"05-mar-24", true, EncodeDateTime(2024, 3, 5)},
      {MonthNameSettings(), L"05-March-2024 1:02", true, EncodeDateTime(2024, 3, 5, 1, 2)},
      {MonthNameSettings(), L"05-Marc-24", false, 0},
  };
  for (const Case& c : cases) {
    DateTime v = kUntouched;
    EXPECT_EQ(TryTextToDateTime(c.text, v, c.fs), c.ok) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(TryTextToDateTime, ReadsBackWhatDateTimeToStrDefWrites) {
  const FormatSettings locales[] = {FormatSettings{}, UsSettings(), GermanSettings(), ChineseSettings(),
                                     KoreanSettings(), MonthNameSettings()};
  const DateTime values[] = {EncodeDateTime(2024, 3, 5, 14, 7, 9), EncodeDateTime(2024, 12, 31, 0, 0, 1),
                              EncodeDateTime(2001, 1, 9, 12, 59, 59), EncodeDateTime(2049, 7, 4, 23, 0, 0),
                              EncodeDateTime(1999, 11, 30)};
  for (const FormatSettings& fs : locales) {
    for (DateTime v : values) {
      const std::wstring text = DateTimeToStrDef(L"", v, fs);
      DateTime back = 0;
      EXPECT_TRUE(TryTextToDateTime(text, back, fs)) << text;
      EXPECT_EQ(back, v) << text;
    }
  }
}

TEST(FormatSeconds, AllFourLayouts) {
  struct Case {
    double seconds;
    bool whole, full, digital;
    const wchar_t* text;
  } cases[] = {
      {3725.9, true, false, true, L"01:02:05"},
      {3725.9, true, false, false, L"1 h, 2 min, 5 s"},
      {90, true, false, false, L"1 min, 30 s"},
      {90, true, true, false, L"0 c, 0 yr, 0 m, 0 wk, 0 d, 0 h, 1 min, 30 s"},
      {3 * 86400 + 4 * 3600 + 5 * 60 + 6, true, true, true, L"00.00.03 04:05:06"},
      {45 * 86400, true, true, true, L"00.01.15 00:00:00"},  // one month, two weeks and a day
      {10 * 86400, true, true, true, L"00.00.10 00:00:00"},
      {25 * 3600 + 7, true, false, true, L"01:00:07"},  // hours modulo 24
      {24 * 3600, true, false, true, L"00:00:00"},
      {59.4, true, false, true, L"00:00:59"},  // truncated, never rounded up
      {119.999, false, false, false, L"1 min, 60.00 s"},
      {0, true, false, false, L"0 s"},
      {0, true, false, true, L"00:00:00"},
      {0, true, true, true, L"00.00.00 00:00:00"},
      {0.25, false, false, false, L"0.25 s"},
      {3725.25, false, false, true, L"01:02:05.25"},
      {3725.25, false, true, true, L"00.00.00 01:02:05.25"},
      {5.5, false, false, true, L"00:00:05.50"},
      {31'579'200, true, false, false, L"1 yr, 0 m, 0 wk, 0 d, 0 h, 0 min, 0 s"},  // 365.5 days
      {365 * 86400, true, false, false, L"12 m, 0 wk, 5 d, 0 h, 0 min, 0 s"},
      {3'157'920'000.0 + 61, true, false, false, L"1 c, 0 yr, 0 m, 0 wk, 0 d, 0 h, 1 min, 1 s"},
      {3'157'920'000.0 + 61, true, true, true, L"00.00.00 00:01:01"},  // centuries are not shown
      {100 * 86400 + 0.5, false, false, false, L"3 m, 1 wk, 3 d, 0 h, 0 min, 0.50 s"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatSeconds(c.seconds, c.whole, c.full, c.digital, FormatSettings{}), c.text) << c.seconds;

  const FormatSettings de = GermanSettings();
  EXPECT_EQ(FormatSeconds(3725.25, false, false, true, de), L"01:02:05,25");
  EXPECT_EQ(FormatSeconds(119.999, false, false, false, de), L"1 min, 60,00 s");
}

TEST(FormatSeconds, ClampsNegativeNanAndHugeInput) {
  const FormatSettings fs;
  for (bool full : {false, true}) {
    for (bool digital : {false, true}) {
      const std::wstring zero = FormatSeconds(0, true, full, digital, fs);
      const std::wstring top = FormatSeconds(kFormatSecondsMax, true, full, digital, fs);
      for (double v : {-1.0, -1e300, std::nan(""), -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(FormatSeconds(v, true, full, digital, fs), zero) << v;
      for (double v : {1e15, 1e300, std::numeric_limits<double>::infinity()})
        EXPECT_EQ(FormatSeconds(v, true, full, digital, fs), top) << v;
    }
  }
  // 31,666 centuries fit the counts; a 16-bit wrap would show something else entirely.
  EXPECT_EQ(FormatSeconds(1e300, true, false, false, fs), L"31666 c, 41 yr, 4 m, 0 wk, 1 d, 21 h, 46 min, 40 s");
  EXPECT_EQ(FormatSeconds(1e300, true, true, true, fs), L"41.04.01 21:46:40");
}

}  // namespace
}  // namespace vantrel
