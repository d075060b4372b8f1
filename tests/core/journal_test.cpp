#include "core/journal/journal.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(SessionEventText, CodesAndUnknown) {
  const wchar_t* texts[] = {L"",
                            L"Console connect",
                            L"Console disconnect",
                            L"Remote connect",
                            L"Remote disconnect",
                            L"Session logon",
                            L"Session logoff",
                            L"Session lock",
                            L"Session unlock",
                            L"Session remote control",
                            L""};  // 10: session created, recorded with an empty text
  for (uint32_t code = 0; code <= 10; ++code) EXPECT_EQ(SessionEventText(code), texts[code]) << code;
  EXPECT_EQ(SessionEventText(0xFFFFFFFFu), L"");
}

TEST(JournalUser, RemoteConsoleAndListedLogoff) {
  EXPECT_EQ(ComposeSessionUser(L"PC7", L"clerk"), L"PC7\\clerk");
  EXPECT_EQ(ComposeSessionUser(L"", L"clerk"), L"clerk");
  EXPECT_EQ(ComposeSessionUser(L"PC7", L""), L"PC7\\");

  SessionRecord remote;
  remote.ID = 3;
  remote.ClientName = L"PC7";
  remote.Username = L"clerk";
  SessionRecord console;
  console.ID = 1;
  console.Username = L"clerk";
  const SessionRecords listed = {console, remote};
  std::wstring user = L"unchanged";
  ASSERT_TRUE(JournalUserFromSessions(listed, 3, user));
  EXPECT_EQ(user, L"PC7\\clerk");
  ASSERT_TRUE(JournalUserFromSessions(listed, 1, user));
  EXPECT_EQ(user, L"clerk");
  user = L"unchanged";
  EXPECT_FALSE(JournalUserFromSessions(listed, 7, user));
  EXPECT_EQ(user, L"unchanged");
}

TEST(JournalCells, LocaleTimestampAndFields) {
  SessionJournalRecord r;
  r.Timestamp = EncodeDateTime(2026, 12, 10, 9, 5, 7);
  r.Session = 3;
  r.SesType = L"Local";
  r.Username = L"PC7\\clerk";
  r.Event = L"Session logon";
  FormatSettings de;
  de.ShortDateFormat = L"dd.MM.yyyy";
  de.LongTimeFormat = L"HH:mm:ss";
  EXPECT_EQ(JournalCellText(r, Index(JournalColumn::Timestamp), de), L"10.12.2026 09:05:07");
  r.Timestamp = EncodeDateTime(2026, 12, 10);  // midnight still shows its time
  EXPECT_EQ(JournalCellText(r, Index(JournalColumn::Timestamp), de), L"10.12.2026 00:00:00");
  EXPECT_EQ(JournalCellText(r, Index(JournalColumn::Session), de), L"3");
  EXPECT_EQ(JournalCellText(r, Index(JournalColumn::Type), de), L"Local");
  EXPECT_EQ(JournalCellText(r, Index(JournalColumn::Name), de), L"PC7\\clerk");
  EXPECT_EQ(JournalCellText(r, Index(JournalColumn::Event), de), L"Session logon");
  EXPECT_EQ(JournalCaption(0), L"Journal (0)");
  EXPECT_EQ(JournalCaption(12), L"Journal (12)");
  EXPECT_EQ(JournalProposedFileName(L"VM"), L"VM_SessionJournal.csv");
}

}  // namespace
}  // namespace vantrel
