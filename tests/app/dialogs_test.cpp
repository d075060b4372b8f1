// The four message boxes: default captions, a caller's caption, icons and the answer of the confirmation.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "box_answerer.h"
#include "controls/message_dialogs.h"

namespace vantrel {
namespace {

TEST(MessageDialogs, DefaultCaptionsAndTheirButtons) {
  struct Case {
    void (*show)(const std::wstring&, const std::wstring&);
    const wchar_t* caption;
  } cases[] = {{&WarningDlg, L"警告"}, {&InfoDlg, L"信息"}, {&ErrorDlg, L"错误"}};
  for (const Case& c : cases) {
    SeenBox seen;
    {
      BoxAnswerer answer(IDOK);
      c.show(L"此系统上不支持睡眠。", L"");
      ASSERT_TRUE(answer.found);
      seen = answer.seen;
    }
    EXPECT_EQ(seen.caption, c.caption);
    EXPECT_EQ(seen.text, L"此系统上不支持睡眠。");
    EXPECT_TRUE(seen.hasOk);
    EXPECT_FALSE(seen.hasYes);
  }
}

TEST(MessageDialogs, ConfirmationAnswersYesOnlyForYes) {
  {
    BoxAnswerer answer(IDYES);
    EXPECT_TRUE(ConfirmDlg(L"难道你真的想 停止 服务 Spooler?"));
    ASSERT_TRUE(answer.found);
    EXPECT_EQ(answer.seen.caption, L"确认");
    EXPECT_TRUE(answer.seen.hasYes && answer.seen.hasNo);
  }
  {
    BoxAnswerer answer(IDNO);
    EXPECT_FALSE(ConfirmDlg(L"x"));
  }
  {
    // Closing the box (Escape, the close button) is not a Yes.
    BoxAnswerer answer(IDCANCEL);
    EXPECT_FALSE(ConfirmDlg(L"x"));
  }
}

TEST(MessageDialogs, ACallersCaptionReplacesTheDefault) {
  BoxAnswerer answer(IDOK);
  InfoDlg(L"/NUC", L"命令行开关");
  ASSERT_TRUE(answer.found);
  EXPECT_EQ(answer.seen.caption, L"命令行开关");
}

TEST(MessageDialogs, HooksRunAroundEveryBox) {
  int before = 0, after = 0;
  SetModalBoxHooks([&] { ++before; }, [&] { ++after; });
  {
    BoxAnswerer answer(IDOK);
    ErrorDlg(L"Service X cannot be started.\r\nAccess is denied.");
  }
  SetModalBoxHooks(nullptr, nullptr);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
}

}  // namespace
}  // namespace vantrel
