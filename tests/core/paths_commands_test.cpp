#include "core/paths/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace vantrel {
namespace {

// A file system that holds exactly the listed files (any case).
struct FakeFiles {
  std::set<std::wstring> files;
  FileExistsFn Fn() const {
    return [this](const std::wstring& f) {
      for (const std::wstring& x : files)
        if (x.size() == f.size() && std::equal(x.begin(), x.end(), f.begin(), [](wchar_t a, wchar_t b) {
              return towupper(static_cast<wint_t>(a)) == towupper(static_cast<wint_t>(b));
            }))
          return true;
      return false;
    };
  }
};

const std::vector<std::wstring> kEnv{L"ProgramFiles=C:\\Program Files (x86)", L"SystemRoot=C:\\Windows",
                                     L"TEMP=C:\\Users\\me\\Temp", L"windir=C:\\Windows", L"  =blank name"};

TEST(Dequote, OnlyWhenQuotedOnBothEnds) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {{L"\"a b\"", L"a b"}, {L"\"", L"\""}, {L"\"\"", L""}, {L"\"abc", L"\"abc"}, {L"abc\"", L"abc\""},
               {L"", L""}};
  for (const Case& c : cases) EXPECT_EQ(Dequote(c.in, L'"'), c.out) << c.in;
}

TEST(ExpandEnvVars, Cases) {
  FakeFiles fs{{L"C:\\Program Files\\App\\x.exe", L"C:\\Program Files (x86)\\Old\\y.exe",
                L"C:\\Program Files\\Two\\a.exe"}};
  struct Case {
    const wchar_t* in;
    bool backslash;
    const wchar_t* out;
  } cases[] = {
      {L"%SystemRoot%\\system32\\svchost.exe -k netsvcs", false, L"C:\\Windows\\system32\\svchost.exe -k netsvcs"},
      {L"%systemroot%\\a;%WINDIR%\\b", false, L"C:\\Windows\\a;C:\\Windows\\b"},
      {L"%SystemRoot%\\a %SystemRoot%\\b", false, L"C:\\Windows\\a %SystemRoot%\\b"},  // each variable once
      {L"\\SystemRoot\\System32\\drivers\\x.sys", true, L"C:\\Windows\\System32\\drivers\\x.sys"},
      {L"\\SystemRoot\\System32\\drivers\\x.sys", false, L"\\SystemRoot\\System32\\drivers\\x.sys"},
      // The kernel form is a leading path element only, never a folder inside a path.
      {L"C:\\Temp\\setup.exe", true, L"C:\\Temp\\setup.exe"},
      {L"\\TEMPLATES\\x", true, L"\\TEMPLATES\\x"},
      // " (x86)" is dropped only when that finds a file the original does not name.
      {L"%ProgramFiles%\\App\\x.exe", false, L"C:\\Program Files\\App\\x.exe"},
      {L"%ProgramFiles%\\Old\\y.exe", false, L"C:\\Program Files (x86)\\Old\\y.exe"},
      {L"%ProgramFiles%\\Two\\a.exe /s", false, L"C:\\Program Files\\Two\\a.exe /s"},
      {L"%ProgramFiles%\\None\\n.exe", false, L"C:\\Program Files (x86)\\None\\n.exe"},
      {L"%UNKNOWN%\\x", true, L"%UNKNOWN%\\x"},
      {L"", true, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandEnvVars(c.in, c.backslash, kEnv, fs.Fn()), c.out) << c.in;
}

TEST(ExpandEnvVars, KeepsAllTextAfterAVariable) {
  const std::wstring tail(3000, L'x');
  EXPECT_EQ(ExpandEnvVars(L"%TEMP%\\" + tail, false, kEnv, FakeFiles{}.Fn()), L"C:\\Users\\me\\Temp\\" + tail);
}

TEST(EnvironmentBlock, WholeBlockWithoutDriveEntries) {
  std::wstring block = L"=C:=C:\\work";
  block += L'\0';
  block += L"A=1";
  block += L'\0';
  const std::wstring longPath = L"Path=" + std::wstring(5000, L'p');
  block += longPath;
  block += L'\0';
  block += L"windir=C:\\Windows";
  block += L'\0';
  block += L'\0';
  block += L"GARBAGE=after the end";
  const auto lines = ParseEnvironmentBlock(block);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], L"A=1");
  EXPECT_EQ(lines[1], longPath);
  EXPECT_EQ(lines[2], L"windir=C:\\Windows");  // beyond 4,096 characters
  EXPECT_TRUE(ParseEnvironmentBlock(std::wstring_view(L"X=1", 3)).size() == 1);  // no terminator: up to the end
}

TEST(SplitCommaText, QuotesBlanksAndCommas) {
  struct Case {
    const wchar_t* in;
    std::vector<std::wstring> out;
  } cases[] = {
      {L"a b,c", {L"a", L"b", L"c"}},
      {L"  \"C:\\Program Files\\a.exe\" -k", {L"C:\\Program Files\\a.exe", L"-k"}},
      {L"\"say \"\"hi\"\"\" x", {L"say \"hi\"", L"x"}},
      {L"a,,b", {L"a", L"", L"b"}},
      {L"a,", {L"a", L""}},
      {L"\"unterminated x", {L"unterminated x"}},
      {L"   ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommaText(c.in), c.out) << c.in;
}

TEST(ExtractFileFromCommandLine, ShortestExistingRun) {
  FakeFiles fs{{L"C:\\Program Files\\App\\app.exe", L"C:\\Windows\\system32\\svchost.exe",
                L"C:\\Windows\\System32\\drivers\\x.sys"}};
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\Program Files\\App\\app.exe -k x", L"C:\\Program Files\\App\\app.exe"},
      {L"\"C:\\Program Files\\App\\app.exe\" -k x", L"C:\\Program Files\\App\\app.exe"},
      {L"%SystemRoot%\\system32\\svchost.exe -k netsvcs", L"C:\\Windows\\system32\\svchost.exe"},
      {L"\\SystemRoot\\System32\\drivers\\x.sys", L"C:\\Windows\\System32\\drivers\\x.sys"},
      {L"C:\\gone\\a b.exe  /q,z", L"C:\\gone\\a b.exe /q z"},  // nothing exists: every token, single blanks
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractFileFromCommandLine(c.in, kEnv, fs.Fn()), c.out) << c.in;
}

// Hostile values anyone may write under a Run key: each finishes within the probe budget, never asks about a text
// longer than a path can be, and still gives the ordinary result where a file is found early.
TEST(ExtractFileFromCommandLine, BoundedOnHostileLines) {
  auto repeat = [](const std::wstring& unit, size_t times) {
    std::wstring s;
    s.reserve(unit.size() * times);
    for (size_t i = 0; i < times; ++i) s += unit;
    return s;
  };
  const std::wstring megabyte = repeat(L"a ", 512 * 1024);
  const std::wstring oneToken(kMaxCommandLineChars, L'b');
  const std::wstring deepRun = repeat(L"x\\ ", 10000);  // short elements: only the budget ends it
  const std::wstring lateFile = deepRun + L"app.exe";
  const std::wstring unclosed = L"\"C:\\Program Files\\App\\app.exe " + repeat(L"q ", 50000);
  std::wstring manyX86, manyX86Expanded;
  std::vector<std::wstring> x86Env;
  for (int i = 0; i < 200; ++i) {
    const std::wstring n = std::to_wstring(i);
    x86Env.push_back(L"V" + n + L"=C:\\Program Files (x86)");
    manyX86 += (i ? L" %V" : L"%V") + n + L"%\\a" + n + L".exe";
    manyX86Expanded += (i ? L" C:\\Program Files (x86)\\a" : L"C:\\Program Files (x86)\\a") + n + L".exe";
  }
  struct Case {
    const char* what;
    std::wstring in;
    std::set<std::wstring> files;
    std::vector<std::wstring> env;
    std::wstring out;
  } cases[] = {
      {"1 MB of tokens: the tokens of the first part", megabyte, {}, kEnv, megabyte.substr(0, kMaxCommandLineChars)},
      {"one token of the longest length: no probe can help", oneToken, {oneToken}, kEnv, oneToken},
      {"one token beyond the longest length is cut", oneToken + L"cc", {}, kEnv, oneToken},
      {"a file after 10,000 tokens is beyond the search", lateFile, {lateFile}, kEnv, lateFile},
      {"an unclosed quote is one token", unclosed, {L"C:\\Program Files\\App\\app.exe"}, kEnv,
       unclosed.substr(1, kMaxCommandLineChars - 1)},
      {"a file early in a long line is found", L"C:\\App\\app.exe " + megabyte, {L"C:\\App\\app.exe"}, kEnv,
       L"C:\\App\\app.exe"},
      {"a blank in the folder name, then a long tail", L"C:\\Program Files\\App\\app.exe " + deepRun,
       {L"C:\\Program Files\\App\\app.exe"}, kEnv, L"C:\\Program Files\\App\\app.exe"},
      {"every variable's \" (x86)\" fallback shares the budget", manyX86, {}, x86Env, manyX86Expanded},
  };
  for (const Case& c : cases) {
    size_t probes = 0, longest = 0;
    const FakeFiles fs{c.files};
    const FileExistsFn exists = fs.Fn();
    const std::wstring out = ExtractFileFromCommandLine(c.in, c.env, [&](const std::wstring& f) {
      ++probes;
      longest = std::max(longest, f.size());
      return exists(f);
    });
    EXPECT_LE(probes, static_cast<size_t>(kMaxCommandLineProbes)) << c.what;
    EXPECT_LE(longest, kMaxCommandLineChars) << c.what;
    EXPECT_EQ(out, c.out) << c.what;
  }
}

TEST(DevicePath, PrefixOfAWholeElementOnly) {
  DriveLetterMap map;
  for (int i = 0; i < 26; ++i) map[static_cast<size_t>(i)].DiskLabel = std::wstring(1, wchar_t(L'a' + i)) + L":";
  auto set = [&](wchar_t letter, const wchar_t* device) {
    auto& d = map[static_cast<size_t>(letter - L'a')];
    d.DiskDosQuery = device;
    d.DosQueryLen = static_cast<int>(d.DiskDosQuery.size());
  };
  set(L'c', L"\\Device\\HarddiskVolume1");
  set(L'e', L"\\Device\\HarddiskVolume10");
  set(L'z', L"\\Device\\HarddiskVolume2");
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"\\Device\\HarddiskVolume1\\Windows\\notepad.exe", L"c:\\Windows\\notepad.exe"},
      {L"\\Device\\HarddiskVolume10\\Windows\\notepad.exe", L"e:\\Windows\\notepad.exe"},
      {L"\\device\\harddiskvolume2\\x", L"z:\\x"},
      {L"\\Device\\HarddiskVolume1", L"c:"},
      {L"\\??\\C:\\windows\\win.ini", L"C:\\windows\\win.ini"},
      {L"\\\\?\\D:\\a", L"D:\\a"},
      {L"\\??\\UNC\\server\\share\\f", L"\\\\server\\share\\f"},
      {L"\\Device\\HarddiskVolume3\\x", L"\\Device\\HarddiskVolume3\\x"},
      {L"\\??\\pipe\\x", L"\\??\\pipe\\x"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(DevicePathToDosPrefix(c.in, map), c.out) << c.in;
}

TEST(SearchPath, TrailingSemicolon) {
  EXPECT_EQ(SearchPathText(L"C:\\windows", L"C:\\windows\\system32"), L"C:\\windows;C:\\windows\\system32;");
}

}  // namespace
}  // namespace vantrel
