#include "core/shell/command_line.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(CommandLineSwitches, EverySpellingOfASwitchIsTheSameSwitch) {
  for (const wchar_t* word : {L"-hide", L"/HIDE", L"\\Hide", L"-HiDe"}) {
    CommandLineSwitches s({word});
    EXPECT_TRUE(s.Has(Switch::HIDE)) << word;
    EXPECT_FALSE(s.Has(Switch::MAX)) << word;
  }
}

TEST(CommandLineSwitches, OnlyWholeNamesWithAPrefixCount) {
  struct Case {
    const wchar_t* word;
    bool hide;
  } cases[] = {{L"hide", false}, {L"--hide", false}, {L"/hidex", false}, {L"/hid", false}, {L"/", false},
               {L"-", false},    {L"", false},        {L"/hide", true}};
  for (const Case& c : cases) EXPECT_EQ(CommandLineSwitches({c.word}).Has(Switch::HIDE), c.hide) << c.word;
}

TEST(CommandLineSwitches, AllNamesAreRecognised) {
  CommandLineSwitches s({L"/nuc", L"-auto", L"\\tree", L"/ses", L"/perf", L"/max", L"/cpuicon", L"/debug", L"/?"});
  for (Switch sw : {Switch::NUC, Switch::AUTO, Switch::TREE, Switch::SES, Switch::PERF, Switch::MAX, Switch::CPUICON,
                    Switch::DEBUG, Switch::Help})
    EXPECT_TRUE(s.Has(sw));
  EXPECT_FALSE(s.Has(Switch::HIDE));
}

TEST(SplitCommandLine, FollowsTheWindowsRules) {
  struct Case {
    const wchar_t* line;
    std::vector<std::wstring> words;
  } cases[] = {
      {L"Vantrel.exe", {L"Vantrel.exe"}},
      {L"\"C:\\Program Files\\V\\Vantrel.exe\" /max  -tree", {L"C:\\Program Files\\V\\Vantrel.exe", L"/max", L"-tree"}},
      {L"v.exe \\Hide", {L"v.exe", L"\\Hide"}},
      {L"v.exe \"a b\" c\\\\\"d e\"", {L"v.exe", L"a b", L"c\\d e"}},
      {L"v.exe a\\\"b", {L"v.exe", L"a\"b"}},
      {L"v.exe \"say \"\"hi\"\"\"", {L"v.exe", L"say \"hi\""}},
      {L"v.exe \t ", {L"v.exe"}},
      {L"", {L""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST(CommandLineHelpText, HasTheEightLinesInOrder) {
  const std::wstring text = CommandLineHelpText();
  EXPECT_EQ(text.find(L"/NUC ....... 启动时不检查更新\r\n/AUTO ...... 切换自动刷新\r\n"), 0u);
  EXPECT_NE(text.find(L"\r\n/HIDE ...... 启动时隐藏（仅托盘图标可见）"), std::wstring::npos);
  size_t lines = 1;
  for (size_t p = 0; (p = text.find(L"\r\n", p)) != std::wstring::npos; p += 2) ++lines;
  EXPECT_EQ(lines, 8u);
  EXPECT_NE(text.back(), L'\n');
}

}  // namespace
}  // namespace vantrel
