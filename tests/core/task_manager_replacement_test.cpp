#include "core/shell/task_manager_replacement.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(TaskManagerReplacement, ValueWrittenAndCheckMarkRule) {
  EXPECT_EQ(ReplacementDebuggerValue(L"C:\\Tools\\Vantrel.exe"), L"\"C:\\Tools\\Vantrel.exe\"");
  EXPECT_EQ(ReplacementDebuggerValue(L"\"C:\\Tools\\Vantrel.exe\""), L"\"C:\\Tools\\Vantrel.exe\"");

  struct Case {
    const wchar_t* replacement;  // as read, enclosing quotes dropped
    bool ours;
  } cases[] = {
      {L"C:\\Tools\\Vantrel.exe", true},
      {L"c:\\tools\\VANTREL.EXE", true},       // other letter case is still this program
      {L"\"C:\\Tools\\Vantrel.exe", false},    // a quote only at the start stays and spoils the match
      {L"C:\\Other\\procexp.exe", false},
      {L"taskmgr.exe", false},
      {L"C:\\Tools\\Vantrel.exe ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsReplacementOf(c.replacement, L"C:\\Tools\\Vantrel.exe"), c.ours);
}

}  // namespace
}  // namespace vantrel
