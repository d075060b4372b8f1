#include "core/handles/find_results.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(FindMatch, AnywhereInTheNameIgnoringCase) {
  struct Case {
    const wchar_t* text;
    const wchar_t* needle;
    bool match;
  } const cases[] = {
      {L"C:\\Temp\\Vantrel_Probe.TXT", L"vantrel_probe.txt", true},  // end of a path, other case
      {L"HKLM\\SOFTWARE\\Vantrel", L"hklm\\soft", true},             // the start
      {L"HKLM\\SOFTWARE\\Vantrel", L"ware\\van", true},              // across a separator
      {L"C:\\Windows\\System32\\ÄÖÜ.dll", L"äöü", true},             // letters beyond ASCII, whatever the locale
      {L"C:\\Users\\Иван\\ŁÓDŹ.txt", L"иван\\łódź", true},
      {L"C:\\x÷y", L"X×Y", false},                                    // signs are no letters
      {L"abc", L"abcd", false},                                      // needle longer than the text
      {L"abcabd", L"abd", true},                                     // a partial match before the real one
      {L"abc", L"", false},                                          // nothing searched, nothing found
      {L"", L"a", false},
  };
  for (const Case& c : cases) EXPECT_EQ(ContainsIgnoringCase(c.text, c.needle), c.match) << c.text << L" / " << c.needle;
}

TEST(FindResultCells, HandleAndModuleRows) {
  const FindResult file{FindResult::Handle, 42, L"child.exe", L"File", L"C:\\a.txt", 0x1c};
  EXPECT_EQ(FindResultCellText(file, fcProcess), L"child.exe");
  EXPECT_EQ(FindResultCellText(file, fcPID), L"42");
  EXPECT_EQ(FindResultCellText(file, fcType), L"File");
  EXPECT_EQ(FindResultCellText(file, fcValue), L"0x0000001c");  // as the handles page writes it

  const FindResult dll{FindResult::Module, 42, L"child.exe", L"ignored", L"C:\\x.dll", 0x7ff6a0000000};
  EXPECT_EQ(FindResultCellText(dll, fcType), L"DLL");
  EXPECT_EQ(FindResultCellText(dll, fcName), L"C:\\x.dll");
  EXPECT_EQ(FindResultCellText(dll, fcValue), L"0x00007ff6a0000000");
  const FindResult dll32{FindResult::Module, 7, L"a.exe", L"", L"C:\\y.dll", 0x10000000};
  EXPECT_EQ(FindResultCellText(dll32, fcValue), L"0x10000000");
}

TEST(FindStatus, CountsProcessesAndResults) {
  EXPECT_EQ(FindStatusText(FindState::Running, 3, 40, 5), L"正在搜索... 已完成 3/40 个进程, 找到 5 个结果");
  EXPECT_EQ(FindStatusText(FindState::Done, 40, 40, 0), L"搜索完成: 40 个进程, 0 个结果");
  EXPECT_EQ(FindStatusText(FindState::Cancelled, 7, 40, 2), L"搜索已取消: 已完成 7/40 个进程, 2 个结果");
}

}  // namespace
}  // namespace vantrel
