#include "core/process/process_texts.h"

#include <gtest/gtest.h>

#include "core/text/date_time.h"

namespace vantrel {
namespace {

TEST(ProcessTexts, KilobytesUseTheLocalesThousandsSeparator) {
  FormatSettings en;
  FormatSettings de;
  de.ThousandSeparator = L'.';
  FormatSettings none;
  none.ThousandSeparator = L'\0';
  struct Case {
    uint64_t bytes;
    const FormatSettings* fs;
    const wchar_t* text;
  } cases[] = {
      {1'536'000, &en, L"1,500 K"},        {1023, &en, L"0 K"},   {999 * 1024, &en, L"999 K"},
      {5ull << 30, &en, L"5,242,880 K"},  // above 4 GiB
      {1'536'000, &de, L"1.500 K"},        {1'536'000, &none, L"1500 K"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatKilobytes(c.bytes, *c.fs), c.text) << c.bytes;
}

TEST(ProcessTexts, CellsOfAnOpenedAndAnInaccessibleProcess) {
  const FormatSettings fs;
  ProcessRecord r;
  r.PID = 1234;
  r.Session = 1;
  r.Name = L"notepad.exe";
  r.IsAccessible = true;
  r.Is64bit = true;
  r.Username = L"root";
  r.CreationTime = EncodeDateTime(2026, 12, 10, 9, 5, 7);
  r.CPUTimes.KernelTime = 25'000'000;
  r.CPUTimes.UserTime = (25 * 3600 + 7) * 10'000'000ull;  // hours wrap at a day
  r.WorkingSet = 1'536'000;
  r.ImageName = L"C:\\windows\\notepad.exe";
  const wchar_t* expected[kProcessColumnCount] = {L"1234", L"1", L"notepad.exe", L"64-bit", L"root",
                                                   L"12/10/2026 09:05:07", L"01:00:09", L"1,500 K",
                                                   L"C:\\windows\\notepad.exe"};
  for (int c = 0; c < kProcessColumnCount; ++c) EXPECT_EQ(ProcessCellText(r, c, fs, false), expected[c]) << c;

  r.Is64bit = false;
  EXPECT_EQ(ProcessCellText(r, Index(ProcessColumn::Type), fs, false), L"32-bit");
  r.IsAccessible = false;
  r.WorkingSet = 0;
  r.CreationTime = 0;
  for (ProcessColumn c : {ProcessColumn::Type, ProcessColumn::CPUTime, ProcessColumn::WorkingSet, ProcessColumn::Created}) EXPECT_EQ(ProcessCellText(r, Index(c), fs, false), L"") << Index(c);
}

TEST(ProcessTexts, TheIdleProcessShowsItsCpuTimeOnlyWhileAutomaticRefreshIsOff) {
  ProcessRecord idle;
  idle.PID = 0;
  idle.CPUTimes.KernelTime = 90 * 10'000'000ull;
  EXPECT_EQ(ProcessCellText(idle, Index(ProcessColumn::CPUTime), FormatSettings{}, false), L"00:01:30");
  EXPECT_EQ(ProcessCellText(idle, Index(ProcessColumn::CPUTime), FormatSettings{}, true), L"");
}

}  // namespace
}  // namespace vantrel
