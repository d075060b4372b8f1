#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "system/text/locale_text.h"

namespace vantrel {
namespace {

SYSTEMTIME MakeSystemTime(WORD y, WORD m, WORD d, WORD h, WORD n, WORD s, WORD ms = 0) {
  SYSTEMTIME st{};
  st.wYear = y;
  st.wMonth = m;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = n;
  st.wSecond = s;
  st.wMilliseconds = ms;
  FILETIME ft{};  // fills wDayOfWeek
  ::SystemTimeToFileTime(&st, &ft);
  ::FileTimeToSystemTime(&ft, &st);
  return st;
}

std::wstring SystemDate(const wchar_t* locale, DWORD flags, const wchar_t* picture, const SYSTEMTIME& st) {
  wchar_t buffer[256] = {};
  const int n = ::GetDateFormatEx(locale, picture ? 0 : flags, &st, picture, buffer, 256, nullptr);
  return n > 0 ? std::wstring(buffer, static_cast<size_t>(n - 1)) : L"<GetDateFormatEx failed>";
}

std::wstring SystemTime(const wchar_t* locale, const wchar_t* picture, const SYSTEMTIME& st) {
  wchar_t buffer[256] = {};
  const int n = ::GetTimeFormatEx(locale, 0, &st, picture, buffer, 256);
  return n > 0 ? std::wstring(buffer, static_cast<size_t>(n - 1)) : L"<GetTimeFormatEx failed>";
}

TEST(UserFormatSettings, DateTimeTextMatchesTheSystemAndReadsBack) {
  const FormatSettings user = ReadUserFormatSettings();
  EXPECT_FALSE(user.ShortDateFormat.empty());
  EXPECT_FALSE(user.LongTimeFormat.empty());
  EXPECT_NE(user.DecimalSeparator, L'\0');

  // The user's locale first, then regions whose formats differ in order, separators and designators.
  const wchar_t* locales[] = {LOCALE_NAME_USER_DEFAULT, L"en-US", L"de-DE", L"zh-CN", L"ko-KR", L"ja-JP",
                              L"hu-HU", L"fr-FR", L"en-GB"};
  const SYSTEMTIME times[] = {MakeSystemTime(2024, 3, 5, 14, 7, 9), MakeSystemTime(2001, 12, 31, 0, 0, 1),
                              MakeSystemTime(2024, 7, 9, 12, 30, 0), MakeSystemTime(1999, 1, 2, 0, 0, 0)};
  for (const wchar_t* locale : locales) {
    const FormatSettings fs = ReadFormatSettings(locale);
    const std::wstring name = locale ? locale : L"(user)";
    for (const SYSTEMTIME& st : times) {
      const DateTime value = EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
      std::wstring expected = SystemDate(locale, DATE_SHORTDATE, nullptr, st);
      if (st.wHour || st.wMinute || st.wSecond) expected += L" " + SystemTime(locale, nullptr, st);
      const std::wstring text = DateTimeToStrDef(L"", value, fs);
      EXPECT_EQ(text, expected) << name;
      DateTime back = 0;
      EXPECT_TRUE(TryTextToDateTime(text, back, fs)) << name << ": " << text;
      EXPECT_EQ(back, value) << name << ": " << text;
    }
  }
  // The overload that reads the settings itself agrees with the explicit record.
  const DateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(DateTimeToStrDef(L"", v), DateTimeToStrDef(L"", v, user));
  EXPECT_EQ(FormatSeconds(3725.25, false, false, true), FormatSeconds(3725.25, false, false, true, user));
  EXPECT_GT(CompareTextValues(L"12:05:01", L"9:00:00", 25), 0);
}

TEST(UserFormatSettings, PicturesFormatLikeTheSystem) {
  const SYSTEMTIME st = MakeSystemTime(2024, 3, 5, 14, 7, 9);
  const SYSTEMTIME early = MakeSystemTime(2005, 11, 20, 0, 4, 5);
  for (const wchar_t* locale : {L"en-US", L"de-DE", L"zh-CN"}) {
    const FormatSettings fs = ReadFormatSettings(locale);
    for (const SYSTEMTIME& t : {st, early}) {
      const DateTime value = EncodeDateTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
      for (const wchar_t* picture : {L"d/M/y", L"dd.MM.yy", L"dddd, MMMM d, yyyy", L"ddd d", L"'Day' d"})
        EXPECT_EQ(FormatDateTime(picture, value, fs), SystemDate(locale, 0, picture, t)) << locale << " " << picture;
      if (std::wstring(locale) != L"de-DE") {  // Wine's German abbreviations differ between the two interfaces
        EXPECT_EQ(FormatDateTime(L"dd MMM yyyy", value, fs), SystemDate(locale, 0, L"dd MMM yyyy", t)) << locale;
      }
      for (const wchar_t* picture : {L"H:m:s", L"HH:mm:ss", L"h:mm tt", L"hh 'h' mm t"})
        EXPECT_EQ(FormatDateTime(picture, value, fs), SystemTime(locale, picture, t)) << locale << " " << picture;
    }
  }
}

TEST(FileTimes, KnownInstantsAndTheZeroFileTime) {
  const SYSTEMTIME st = MakeSystemTime(2024, 3, 5, 14, 7, 9, 123);
  FILETIME ft{};
  ASSERT_TRUE(::SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(FileTimeToDateTime(ft, false), EncodeDateTime(2024, 3, 5, 14, 7, 9, 123));
  EXPECT_EQ(FileTimeTicks(TicksToFileTime(DateTimeToFileTime(EncodeDateTime(2024, 3, 5, 14, 7, 9, 123)))),
            FileTimeTicks(ft));

  const FILETIME zero{};
  for (bool toLocal : {false, true}) {
    EXPECT_LT(FileTimeToDateTime(zero, toLocal), 0.0);
    EXPECT_EQ(DateTimeToStrDef(L"", FileTimeToDateTime(zero, toLocal)), L"");
  }
  EXPECT_EQ(FileTimeToDateTime(TicksToFileTime(0x8000000000000000ULL), true), 0.0);
}

TEST(FileTimes, UtcToLocalAgreesWithTheSystemClock) {
  SYSTEMTIME utc{}, local{};
  ::GetSystemTime(&utc);
  ::GetLocalTime(&local);
  const DateTime u = EncodeDateTime(utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
  const DateTime l = EncodeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
  EXPECT_NEAR(UTCToLocalDateTime(u), l, 2.0 / 86400);

  FILETIME now{};
  ::SystemTimeToFileTime(&utc, &now);
  EXPECT_NEAR(FileTimeToDateTime(now, true), l, 2.0 / 86400);
  // Values the time-zone call cannot take come back unchanged.
  EXPECT_EQ(UTCToLocalDateTime(-693593.5), -693593.5);
  EXPECT_TRUE(std::isnan(UTCToLocalDateTime(std::nan(""))));
}

// The test runs with TZ=Europe/Berlin (see CMakeLists.txt), which Wine turns into the Windows time zone.
TEST(FileTimes, UtcToLocalFollowsDaylightSavingTime) {
  const char* tz = std::getenv("TZ");
  if (!tz || std::string(tz) != "Europe/Berlin") GTEST_SKIP() << "run without TZ=Europe/Berlin";
  EXPECT_EQ(UTCToLocalDateTime(EncodeDateTime(2024, 1, 15, 12)), EncodeDateTime(2024, 1, 15, 13));
  EXPECT_EQ(UTCToLocalDateTime(EncodeDateTime(2024, 7, 15, 12)), EncodeDateTime(2024, 7, 15, 14));
  EXPECT_EQ(UTCToLocalDateTime(EncodeDateTime(2024, 12, 31, 23, 30)), EncodeDateTime(2025, 1, 1, 0, 30));
  FILETIME ft{};
  const SYSTEMTIME st = MakeSystemTime(2024, 7, 15, 12, 0, 0);
  ASSERT_TRUE(::SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(FileTimeToDateTime(ft, true), EncodeDateTime(2024, 7, 15, 14));
  EXPECT_EQ(FileTimeToDateTime(ft, false), EncodeDateTime(2024, 7, 15, 12));
}

TEST(WideToAnsi, ChineseRoundTripsThroughGbkAndUtf8) {
  const std::wstring text = L"进程管理 Vantrel";
  for (UINT cp : {936u, 65001u}) {
    const std::string bytes = WideToAnsi(text, cp);
    ASSERT_FALSE(bytes.empty()) << cp;
    wchar_t back[64] = {};
    const int n = ::MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), back, 64);
    EXPECT_EQ(std::wstring(back, static_cast<size_t>(n > 0 ? n : 0)), text) << cp;
  }
  EXPECT_EQ(WideToAnsi(L"中", 65001), "\xE4\xB8\xAD");
  EXPECT_EQ(WideToAnsi(L"中", 936), "\xD6\xD0");
  EXPECT_EQ(WideToAnsi(L"", 936), "");
  // A character the code page lacks becomes its default character.
  EXPECT_EQ(WideToAnsi(L"a中", 1252), "a?");
  // Code pages that refuse the flags (UTF-7 here) still convert.
  EXPECT_EQ(WideToAnsi(L"a+b", 65000), "a+-b");
}

}  // namespace
}  // namespace vantrel
