#include "core/process/process_rules.h"
#include "core/sessions/session_rules.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

SessionRecord Ses(uint32_t id, std::wstring user, int32_t state) {
  SessionRecord r;
  r.ID = id;
  r.Username = std::move(user);
  r.State = state;
  return r;
}

ProcessRecord Proc(uint32_t pid, int32_t session, std::wstring user = L"") {
  ProcessRecord p;
  p.PID = pid;
  p.Session = session;
  p.Username = std::move(user);
  return p;
}

TEST(SessionStateText, NamesWithoutPrefixAndGuardedIndex) {
  const wchar_t* texts[] = {L"Active", L"Connected", L"ConnectQuery", L"Shadow", L"Disconnected",
                            L"Idle",   L"Listen",    L"Reset",        L"Down",   L"Init"};
  for (int s = 0; s < 10; ++s) EXPECT_EQ(SessionStateText(s), texts[s]);
  EXPECT_EQ(ConnectStateName(4), L"WTSDisconnected");
  EXPECT_EQ(SessionStateText(10), L"10");
  EXPECT_EQ(SessionStateText(-1), L"-1");
}

TEST(ClientOSText, TableInOrder) {
  const std::pair<int32_t, const wchar_t*> cases[] = {
      {0, L""},
      {1, L"Non-Windows (1)"},
      {300, L"Non-Windows (300)"},
      {499, L"Non-Windows (499)"},
      {-7, L"Non-Windows (-7)"},
      {500, L"Windows 2000"},
      {528, L"Windows NT 3.1"},
      {807, L"Windows NT 3.5"},
      {1357, L"Windows NT 3.51"},
      {1381, L"Windows NT 4"},
      {2195, L"Windows 2000"},
      {2504, L"Windows 2000"},
      {2505, L"Windows Server 2003"},
      {2600, L"Windows XP"},
      {3790, L"Windows Server 2003"},
      {5047, L"Windows Server 2003"},
      {5048, L"Windows Server 2008"},
      {6000, L"Windows Vista"},
      {6001, L"Windows Vista SP 1"},
      {6002, L"Windows Vista SP 2"},
      {7599, L"Windows Server 2008"},
      {7600, L"Windows 7"},
      {7601, L"Windows 7 SP 1"},
      {9200, L"Windows 7 SP 1"},  // deliberately not Windows 8
      {7602, L"Windows 8"},
      {8999, L"Windows 8"},
      {9000, L"Windows (Build 9000)"},
      {9600, L"Windows (Build 9600)"},
      {22631, L"Windows (Build 22631)"},
  };
  for (const auto& [build, text] : cases) EXPECT_EQ(ClientOSText(build), text) << build;
}

TEST(ClientDisplayText, DepthCodesMapToBits) {
  struct Case {
    int32_t w, h, depth;
    const wchar_t* text;
  } cases[] = {
      {1024, 768, 1, L"1024 x 768 @ 4-bit"},   {1024, 768, 2, L"1024 x 768 @ 8-bit"},
      {1024, 768, 4, L"1024 x 768 @ 16-bit"},  {1024, 768, 8, L"1024 x 768 @ 24-bit"},
      {1024, 768, 16, L"1024 x 768 @ 15-bit"}, {1920, 1080, 24, L"1920 x 1080 @ 24-bit"},
      {1920, 1080, 32, L"1920 x 1080 @ 32-bit"},
      {800, 600, 3, L"800 x 600 @ 3-bit"},  // an unknown code is kept as it is
      {1920, 1080, 0, L""},                 // width and height known, depth not: nothing
      {0, 0, -1, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ClientDisplayText(c.w, c.h, c.depth), c.text) << c.depth;
}

TEST(ClientAddressText, OnlyIPv4) {
  const uint8_t v4[20] = {0, 0, 192, 168, 1, 77};
  EXPECT_EQ(ClientAddressText(2, v4, sizeof v4), L"192.168.1.77");
  const uint8_t high[6] = {9, 9, 255, 0, 0, 255};
  EXPECT_EQ(ClientAddressText(2, high, sizeof high), L"255.0.0.255");
  for (uint32_t family : {0u, 6u, 17u, 23u, 99u}) EXPECT_EQ(ClientAddressText(family, v4, sizeof v4), L"") << family;
  EXPECT_EQ(ClientAddressText(2, v4, 5), L"");  // too short to hold the bytes
  EXPECT_EQ(ClientAddressText(2, nullptr, 20), L"");
}

TEST(SessionCells, EveryColumn) {
  SessionRecord r = Ses(2, L"clerk", Index(SessionState::Active));
  r.WinSta = L"RDP-Tcp#3";
  r.ClientName = L"PC7";
  r.ProcCount = 14;
  r.ClientBuildNumber = 9600;
  r.ClientDisplayWidth = 1280;
  r.ClientDisplayHeight = 1024;
  r.ClientDisplayDepth = 4;
  r.ClientAddress = L"10.0.0.7";
  const wchar_t* expected[] = {L"2",  L"RDP-Tcp#3", L"clerk", L"PC7", L"Active", L"14", L"Windows (Build 9600)",
                               L"1280 x 1024 @ 16-bit", L"10.0.0.7"};
  for (int c = 0; c < kSessionColumnCount; ++c) EXPECT_EQ(SessionCellText(r, c), expected[c]) << c;
}

TEST(SessionRowColour, OwnUserBlueElseInactiveGrey) {
  struct Case {
    SessionRecord r;
    uint32_t colour;
  } cases[] = {
      {Ses(1, L"Root", Index(SessionState::Disconnected)), kSessionOwnColour},  // own user even when disconnected
      {Ses(1, L"root", Index(SessionState::Active)), kSessionOwnColour},
      {Ses(2, L"clerk", Index(SessionState::Disconnected)), kSessionInactiveColour},
      {Ses(65536, L"", Index(SessionState::Listen)), kSessionInactiveColour},
      {Ses(3, L"clerk", Index(SessionState::Active)), kSessionDefaultColour},
      {Ses(4, L"clerk", 42), kSessionInactiveColour},  // unknown state: not active
  };
  for (const Case& c : cases) EXPECT_EQ(SessionRowColour(c.r, L"ROOT"), c.colour) << c.r.ID << c.r.State;
  EXPECT_EQ(SessionRowColour(Ses(0, L"", Index(SessionState::Active)), L""), kSessionDefaultColour);
}

TEST(SessionButtons, ByState) {
  struct Case {
    int32_t state;
    bool disconnect, logoff;
  } cases[] = {{Index(SessionState::Active), true, true},       {Index(SessionState::Connected), true, true}, {Index(SessionState::ConnectQuery), false, false},
               {Index(SessionState::Shadow), false, false},     {Index(SessionState::Disconnected), false, true}, {Index(SessionState::Idle), false, false},
               {Index(SessionState::Listen), false, false},     {Index(SessionState::Reset), false, false},   {Index(SessionState::Down), false, false},
               {Index(SessionState::Init), false, false},       {-3, false, false}};
  for (const Case& c : cases) {
    const SessionRecord r = Ses(1, L"u", c.state);
    const SessionButtons b = SessionButtonState(&r);
    EXPECT_TRUE(b.SendMessage);
    EXPECT_EQ(b.Disconnect, c.disconnect) << c.state;
    EXPECT_EQ(b.Logoff, c.logoff) << c.state;
  }
}

TEST(SessionFocus, VanishedSessionLeavesNothingFocused) {
  // The rows before and after a refresh: the focused session 2 has ended.
  const SessionRecords before = {Ses(0, L"", Index(SessionState::Disconnected)), Ses(2, L"clerk", Index(SessionState::Active))};
  const SessionRecords after = {Ses(0, L"", Index(SessionState::Disconnected)), Ses(65536, L"", Index(SessionState::Listen))};
  const int64_t focusedId = before[static_cast<size_t>(FindSessionIndex(before, 2))].ID;
  const int index = FindSessionIndex(after, focusedId);
  EXPECT_EQ(index, -1);
  const SessionButtons b = SessionButtonState(index < 0 ? nullptr : &after[static_cast<size_t>(index)]);
  EXPECT_FALSE(b.SendMessage || b.Disconnect || b.Logoff);
  EXPECT_EQ(FindSessionIndex(after, -1), -1);
  EXPECT_EQ(FindSessionIndex(after, 65536), 1);
}

TEST(SessionActions, TargetCopyAndTexts) {
  SessionRecord r = Ses(3, L"clerk", Index(SessionState::Active));
  const SessionTarget t = MakeSessionTarget(r);
  r = Ses(9, L"other", Index(SessionState::Active));
  EXPECT_EQ(SessionDisconnectConfirmText(t), L"你真的要断开 [3]clerk 会话吗?");
  EXPECT_EQ(SessionLogoffConfirmText(t), L"你真的要退出 [3]clerk 会话?");
  EXPECT_EQ(SessionDisconnectErrorText(t, L"Access is denied."),
            L"Session [3]clerk cannot be disconnected.\r\nAccess is denied.");
  EXPECT_EQ(SessionLogoffErrorText(t, L"m"), L"Session [3]clerk cannot be logged off.\r\nm");
  EXPECT_EQ(SessionMessageCaption(t), L"Message for clerk (3)");
  EXPECT_EQ(SessionMessageTitle(L"root", 1), L"Message from root (1)");
  EXPECT_EQ(SessionsCaption(3), L" 会话 (3) ");
}

TEST(SessionFilter, FilterNeverHidesTheTabOfReportedSessions) {
  const SessionRecords all = {Ses(0, L"", Index(SessionState::Disconnected)), Ses(1, L"Clerk", Index(SessionState::Active))};
  size_t shown = 0;
  for (const SessionRecord& s : all) shown += SessionPassesFilter(s.Username, L"zz") ? 1 : 0;
  EXPECT_EQ(shown, 0u);
  EXPECT_TRUE(SessionsTabVisible(all.size()));
  EXPECT_FALSE(SessionsTabVisible(0));
  EXPECT_TRUE(SessionPassesFilter(L"Clerk", L"cl"));
  EXPECT_FALSE(SessionPassesFilter(L"Oclerk", L"cl"));
  EXPECT_TRUE(SessionPassesFilter(L"", L""));
}

TEST(ApplySessionProcesses, CountsAndFillsOnlyMissingOwners) {
  SessionRecords sessions = {Ses(0, L"", Index(SessionState::Disconnected)), Ses(1, L"clerk", Index(SessionState::Active)), Ses(2, L"", Index(SessionState::Listen))};
  ProcessRecords wtsp = {Proc(4, 0, L"SYSTEM"), Proc(500, 0), Proc(600, 1, L"DWM-1"), Proc(700, 1, L" "),
                     Proc(800, 1, L"clerk"), Proc(900, -1, L"x")};
  ApplySessionProcesses(sessions, wtsp);
  EXPECT_EQ(sessions[0].ProcCount, 2);  // the services session counts its processes
  EXPECT_EQ(sessions[1].ProcCount, 3);
  EXPECT_EQ(sessions[2].ProcCount, 0);
  EXPECT_EQ(wtsp[0].Username, L"SYSTEM");  // read from the SID: kept
  EXPECT_EQ(wtsp[1].Username, L"");        // session 0's (empty) user
  EXPECT_EQ(wtsp[2].Username, L"DWM-1");   // not overwritten by the session's user
  EXPECT_EQ(wtsp[3].Username, L"clerk");   // blank: the session's user
  EXPECT_EQ(wtsp[5].Username, L"x");       // a negative session belongs to none

  // The process refresh then gives a process it cannot open the owner kept here, not the session's user.
  ProcessRecord closed = Proc(600, 0);
  MatchSessionProcesses(closed, wtsp);
  EXPECT_EQ(closed.Username, L"DWM-1");
  EXPECT_EQ(closed.Session, 1);
}

// The session read again before an action: it must still be the listed user's logon.
TEST(SessionUnchanged, TheUserAndAKnownLogonTimeMustStillMatch) {
  const SessionTarget withLogon{3, L"clerk", 1000};
  const SessionTarget withoutLogon{3, L"clerk", 0};
  const struct {
    const char* name;
    SessionTarget target;
    SessionIdentity now;
    bool unchanged;
  } cases[] = {
      {"same user and logon", withLogon, {true, L"clerk", 1000}, true},
      {"no logon time then, any now", withoutLogon, {true, L"clerk", 77}, true},
      {"no logon time either way", withoutLogon, {true, L"clerk", 0}, true},
      {"another user", withLogon, {true, L"intruder", 1000}, false},
      {"another user, no logon times", withoutLogon, {true, L"intruder", 0}, false},
      {"letter case differs", withoutLogon, {true, L"Clerk", 0}, false},
      {"a new logon of the same user", withLogon, {true, L"clerk", 1001}, false},
      {"logon time gone", withLogon, {true, L"clerk", 0}, false},
      {"session ended: the user query fails", withoutLogon, {false, L"", 0}, false},
      {"nobody was logged on, nobody is, but the query fails", SessionTarget{3, L"", 0}, {false, L"", 0}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(SessionUnchanged(c.target, c.now), c.unchanged) << c.name;

  SessionRecord r;
  r.ID = 3;
  r.Username = L"clerk";
  r.LogonTime = 1000;
  const SessionTarget copied = MakeSessionTarget(r);
  EXPECT_TRUE(SessionUnchanged(copied, {true, L"clerk", 1000}));
  EXPECT_FALSE(SessionUnchanged(copied, {true, L"clerk", 999}));
  EXPECT_EQ(SessionChangedErrorText(copied), L"会话 [3]clerk 已结束或已由另一次登录使用,操作已取消。");
}

}  // namespace
}  // namespace vantrel
