// The sessions page and its journal through the real window, with the terminal services a fake describes (Wine
// reports no sessions): rows, colours, buttons, actions on the confirmed session, the session process list, the
// journal rows of every event code and the journal's file read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/ui/input_box.h"
#include "app/pages/sessions_page.h"
#include "box_answerer.h"
#include "core/sessions/session_rules.h"
#include "../support/fake_wts.h"
#include "../support/long_folder.h"
#include "app/ui/list_export.h"
#include "app/pages/page_of.h"
#include "page_test_support.h"
#include "system/os/accounts.h"
#include "system/os/system_facts.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace {

using testing::FieldLines;
using testing::FromAnsi;
using testing::PumpUntil;
using testing::ReadBytes;
using testing::TempPath;
using testing::WindowText;
using vantrel::testing::FakeWts;
using vantrel::testing::FakeWtsSession;
using vantrel::testing::WtsAddress;

const std::wstring& Me() { return SystemFacts().CurrentUserName; }

// The services session, the console of the user running the tests, a remote session from PC7, a disconnected
// one from PC9 with an awkward user name, and the listener.
void FillServer(FakeWts& wts) {
  wts.sessions = {
      FakeWtsSession::Make(0, L"Services", WTSDisconnected, L""),
      FakeWtsSession::Make(1, L"Console", WTSActive, Me(), L"", 0, {1920, 1080, 0}, WtsAddress(23, {0, 0, 0xfe, 0x80})),
      FakeWtsSession::Make(3, L"RDP-Tcp#7", WTSActive, L"clerk", L"PC7", 9600, {1280, 1024, 16},
                           WtsAddress(2, {0x0d, 0x3d, 10, 0, 0, 7})),
      FakeWtsSession::Make(5, L"RDP-Tcp#9", WTSDisconnected, L"a;\"b", L"PC9", 300, {800, 600, 4}),
      FakeWtsSession::Make(65536, L"RDP-Tcp", WTSListen, L""),
  };
  wts.processes = {{0, 1000, L"svc.exe", L"", 100},
                   {1, 1100, L"explorer.exe", L"", 200},
                   {1, 1101, L"cmd.exe", L"", 300},
                   {3, 3001, L"csrss.exe", L"S-1-5-18", 400},
                   {3, 3002, L"notepad.exe", L"", 500}};
}

struct SessionsWindow {
  FakeWts wts;
  std::unique_ptr<MainWindow> main = testing::QuietMainWindow();
  SessionsPage& page() { return PageOf<SessionsPage>(*main, kPageSessions); }
  ui::TreeGrid& grid() { return page().tree(); }
  explicit SessionsWindow(bool fill = true) {
    if (fill) FillServer(wts);
    page().SetWtsApi(wts);
  }
  bool Start() {
    if (!main->CreateAndStart()) return false;
    main->SetActivePage(kPageSessions);
    main->RefreshActivePage();
    return main->ActivePage() == kPageSessions;
  }
  std::wstring Cell(uint32_t id, int column) {
    ui::TreeNode* node = page().FindSessionNode(id);
    return node ? grid().onGetText(*node, column) : L"<no row>";
  }
  uint32_t Colour(uint32_t id) { return page().FindSessionNode(id)->textColor(); }
  void Focus(uint32_t id) { grid().SetFocusedNode(page().FindSessionNode(id)); }
  struct Buttons {
    bool send, disconnect, logoff;
    bool operator==(const Buttons&) const = default;
  };
  Buttons Enabled() {
    return {page().SendMessageButton().Enabled(), page().DisconnectButton().Enabled(),
            page().LogoffButton().Enabled()};
  }
  void SessionChange(uint32_t code, uint32_t session) {
    ::SendMessageW(main->hwnd(), WM_WTSSESSION_CHANGE, code, session);
  }
};

// The session process list only gives owners of processes this program cannot open (under Wine there are none), so
// a periodic refresh of the processes page reads it no more once every owner is known; the sessions page's own
// refresh still does.
TEST(SessionsPage, APeriodicRefreshReadsTheSessionProcessListOnlyWhenAPageNeedsIt) {
  SessionsWindow w;
  ASSERT_TRUE(w.Start());
  w.main->SetActivePage(kPageProcesses);
  w.main->RefreshActivePage();  // the walk has learnt every owner
  EXPECT_FALSE(w.main->Feeds().sessionProcesses.Wanted());
  const int reads = w.wts.ProcessReads();
  ::SendMessageW(w.main->hwnd(), WM_TIMER, RefreshCycle::kTimerId, 0);
  EXPECT_EQ(w.wts.ProcessReads(), reads);

  w.main->SetActivePage(kPageSessions);
  ::SendMessageW(w.main->hwnd(), WM_TIMER, RefreshCycle::kTimerId, 0);
  EXPECT_EQ(w.wts.ProcessReads(), reads + 1);
}

TEST(SessionsPage, RowsTextsColoursAndTheSessionProcessList) {
  SessionsWindow w;
  ASSERT_TRUE(w.Start());
  EXPECT_EQ(w.grid().RowCount(), 5u);
  EXPECT_EQ(w.main->Tabs().Caption(kPageSessions), L" 会话 (5) ");
  EXPECT_TRUE(w.main->Tabs().TabVisible(kPageSessions));

  const struct {
    uint32_t id;
    std::vector<std::wstring> cells;  // every column in order
    uint32_t colour;
  } rows[] = {
      {0, {L"0", L"Services", L"", L"", L"Disconnected", L"1", L"", L"", L""}, kSessionInactiveColour},
      {1, {L"1", L"Console", Me(), L"", L"Active", L"2", L"", L"", L""}, kSessionOwnColour},
      {3, {L"3", L"RDP-Tcp#7", L"clerk", L"PC7", L"Active", L"2", L"Windows (Build 9600)", L"1280 x 1024 @ 15-bit",
           L"10.0.0.7"},
       kSessionDefaultColour},
      {5, {L"5", L"RDP-Tcp#9", L"a;\"b", L"PC9", L"Disconnected", L"0", L"Non-Windows (300)", L"800 x 600 @ 16-bit",
           L""},
       kSessionInactiveColour},
      {65536, {L"65536", L"RDP-Tcp", L"", L"", L"Listen", L"0", L"", L"", L""}, kSessionInactiveColour},
  };
  for (const auto& r : rows) {
    ASSERT_NE(w.page().FindSessionNode(r.id), nullptr) << r.id;
    for (int c = 0; c < kSessionColumnCount; ++c)
      EXPECT_EQ(w.Cell(r.id, c), r.cells[static_cast<size_t>(c)]) << r.id << " column " << c;
    EXPECT_EQ(w.Colour(r.id), r.colour) << r.id;
  }

  // The list the process refresh merges (a manual refresh reads and empties it right after the sessions step):
  // every process, an owner read from a SID kept, the others the session's user.
  w.page().RefreshSessions(L"");
  const ProcessRecords& wtsp = w.main->Feeds().sessionProcesses.records;
  ASSERT_EQ(wtsp.size(), 5u);
  for (const ProcessRecord& p : wtsp) {
    if (p.PID == 3001) {
      EXPECT_NE(p.Username, L"clerk") << "the SID's owner stays";
      EXPECT_FALSE(p.Username.empty());
    }
    if (p.PID == 3002) {
      EXPECT_EQ(p.Username, L"clerk");
      EXPECT_EQ(p.WorkingSet, 500u);
    }
    if (p.PID == 1100) {
      EXPECT_EQ(p.Username, Me());
    }
  }
  // The process refresh reads and empties it.
  w.main->SetActivePage(kPageProcesses);
  w.main->RefreshActivePage();
  EXPECT_TRUE(w.main->Feeds().sessionProcesses.records.empty());
}

TEST(SessionsPage, ButtonsFollowTheFocusedSessionAndAnEndedOneLeavesNothingFocused) {
  SessionsWindow w;
  ASSERT_TRUE(w.Start());
  using B = SessionsWindow::Buttons;
  const struct {
    uint32_t id;
    B enabled;
  } cases[] = {{3, {true, true, true}},    // active
               {5, {true, false, true}},   // disconnected
               {65536, {true, false, false}}};  // listening
  for (const auto& c : cases) {
    w.Focus(c.id);
    EXPECT_EQ(w.Enabled(), c.enabled) << c.id;
  }

  // The focused session ends: after the refresh no row is focused and nothing can be done.
  w.Focus(3);
  std::erase_if(w.wts.sessions, [](const FakeWtsSession& s) { return s.id == 3; });
  w.main->RefreshActivePage();
  EXPECT_EQ(w.grid().FocusedNode(), nullptr);
  EXPECT_EQ(w.Enabled(), (B{false, false, false}));
  // A session that stays keeps the focus.
  w.Focus(5);
  w.main->RefreshActivePage();
  ASSERT_NE(w.grid().FocusedNode(), nullptr);
  EXPECT_EQ(w.grid().FocusedNode()->As<SessionRecord>()->ID, 5u);

  // A filter that matches no user empties the list but keeps the tab the user is on.
  w.main->NameFilter().SetText(L"nobody");
  w.main->RefreshActivePage();
  EXPECT_EQ(w.grid().RowCount(), 0u);
  EXPECT_TRUE(w.main->Tabs().TabVisible(kPageSessions));
  EXPECT_EQ(w.main->ActivePage(), kPageSessions);
  w.main->NameFilter().SetText(L"CLE");
  w.wts.sessions.push_back(FakeWtsSession::Make(3, L"RDP-Tcp#7", WTSActive, L"clerk", L"PC7"));
  w.main->RefreshActivePage();
  ASSERT_EQ(w.grid().RowCount(), 1u);
  EXPECT_EQ(w.Cell(3, Index(SessionColumn::Username)), L"clerk");

  // No sessions at all: the tab goes and the processes page shows.
  w.main->NameFilter().SetText(L"");
  w.wts.sessions.clear();
  w.main->RefreshActivePage();
  EXPECT_FALSE(w.main->Tabs().TabVisible(kPageSessions));
  EXPECT_EQ(w.main->ActivePage(), kPageProcesses);
}

TEST(SessionsPage, DisconnectAndLogoffActOnTheConfirmedSessionAndQuoteTheFailure) {
  const struct {
    const char* call;
    std::wstring question;
    std::wstring failure;
  } cases[] = {{"disconnect", L"你真的要断开 [3]clerk 会话吗?", L"Session [3]clerk cannot be disconnected.\r\n"},
               {"logoff", L"你真的要退出 [3]clerk 会话?", L"Session [3]clerk cannot be logged off.\r\n"}};
  for (const auto& c : cases) {
    SessionsWindow w;
    ASSERT_TRUE(w.Start());
    const ActionBar::Button& button =
        std::string(c.call) == "disconnect" ? w.page().DisconnectButton() : w.page().LogoffButton();
    w.Focus(3);
    w.wts.actionResult = FALSE;
    w.wts.actionError = ERROR_ACCESS_DENIED;
    // While the question is up another session ends and the list is rebuilt; then the user says Yes.
    std::wstring question;
    std::thread user([&w, &question] {
      HWND box = nullptr;
      for (int i = 0; i < 500 && !(box && ::IsWindowVisible(box)); ++i) {
        ::Sleep(10);
        box = ::FindWindowW(L"#32770", nullptr);
      }
      if (!box) return;
      question = WindowText(::GetDlgItem(box, 0xFFFF));
      // The window thread sits in the box's loop and reads the fake only for the message sent after this.
      std::erase_if(w.wts.sessions, [](const FakeWtsSession& s) { return s.id == 5; });
      ::SendMessageW(w.main->hwnd(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOGOFF, 5);
      ::PostMessageW(box, WM_COMMAND, IDYES, 0);
    });
    ::SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
    user.join();
    EXPECT_EQ(question, c.question);
    EXPECT_EQ(w.page().FindSessionNode(5), nullptr) << "the list was rebuilt while the question was up";
    BoxAnswerer ok(IDOK);
    ASSERT_TRUE(PumpUntil(*w.main, [&] { return !w.page().ActionRunning() && ok.found; }));
    EXPECT_EQ(ok.seen.text, c.failure + SystemErrorText(ERROR_ACCESS_DENIED));
    const auto calls = w.wts.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].what, c.call);
    EXPECT_EQ(calls[0].session, 3u);
    EXPECT_TRUE(calls[0].wait);
  }
}

// Session 3 with the logon time the system reports for it.
FakeWtsSession WithLogon(FakeWtsSession s, int64_t logonTime) {
  WTSINFOW info{};
  info.SessionId = s.id;
  info.LogonTime.QuadPart = logonTime;
  s.info[WTSSessionInfo] = vantrel::testing::WtsBytes(info);
  return s;
}

FakeWtsSession& SessionOf(FakeWts& wts, DWORD id) {
  return *std::find_if(wts.sessions.begin(), wts.sessions.end(), [id](const FakeWtsSession& s) { return s.id == id; });
}

// Answers the input box from another thread: notes its caption and prompt, types text and presses OK.
class InputAnswerer {
 public:
  explicit InputAnswerer(std::wstring text) : text_(std::move(text)), thread_([this] { Run(); }) {}
  ~InputAnswerer() { thread_.join(); }
  std::wstring caption;
  std::atomic<bool> found{false};

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* self = reinterpret_cast<InputAnswerer*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    const HWND edit = ::GetDlgItem(hwnd, kInputBoxEditId);
    if (pid != ::GetCurrentProcessId() || !edit || !::IsWindowVisible(hwnd)) return TRUE;
    self->caption = WindowText(hwnd);
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(self->text_.c_str()));
    ::PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    self->found = true;
    return FALSE;
  }
  void Run() {
    for (int i = 0; i < 500 && !found; ++i) {
      ::EnumWindows(&InputAnswerer::Visit, reinterpret_cast<LPARAM>(this));
      if (!found) ::Sleep(20);
    }
  }
  std::wstring text_;
  std::thread thread_;
};

TEST(SessionsPage, SendMessageAsksForTheTextAndSendsItWithoutWaiting) {
  SessionsWindow w;
  ASSERT_TRUE(w.Start());
  w.Focus(3);
  {
    InputAnswerer input(L"Lunch at 12");
    ::SendMessageW(w.page().SendMessageButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(input.found);
    EXPECT_EQ(input.caption, L"Message for clerk (3)");
  }
  BoxAnswerer ok(IDOK);
  ASSERT_TRUE(PumpUntil(*w.main, [&] { return !w.page().ActionRunning() && ok.found; }));
  EXPECT_EQ(ok.seen.text, L"消息已成功地发送。");
  const auto calls = w.wts.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].what, "send");
  EXPECT_EQ(calls[0].session, 3u);
  EXPECT_EQ(calls[0].message, L"Lunch at 12");
  EXPECT_EQ(calls[0].title, SessionMessageTitle(Me(), GetCurrentSessionId(w.wts)));
  EXPECT_EQ(calls[0].style, static_cast<DWORD>(MB_OK));
  EXPECT_EQ(calls[0].timeout, 0u);
  EXPECT_FALSE(calls[0].wait);
}

// The list was read, then the session changed before the user acted: each action reads the session again on its
// worker and refuses when its user or its logon time is no longer the listed one.
TEST(SessionsPage, AnActionRefusesASessionThatChangedSinceTheListWasRead) {
  enum class Act { Disconnect, Logoff, Send };
  const struct {
    const char* name;
    Act act;
    std::function<void(FakeWts&)> change;
    bool acts;
  } cases[] = {
      {"unchanged, logon time and all", Act::Logoff, [](FakeWts&) {}, true},
      {"ended", Act::Disconnect,
       [](FakeWts& wts) { std::erase_if(wts.sessions, [](const FakeWtsSession& s) { return s.id == 3; }); }, false},
      {"its number taken by another user", Act::Logoff,
       [](FakeWts& wts) {
         SessionOf(wts, 3) = WithLogon(FakeWtsSession::Make(3, L"RDP-Tcp#8", WTSActive, L"intruder", L"PC8"), 555);
       },
       false},
      {"the same user logged on anew", Act::Disconnect,
       [](FakeWts& wts) { SessionOf(wts, 3) = WithLogon(SessionOf(wts, 3), 556); },
       false},
      {"a message to a number another user took", Act::Send,
       [](FakeWts& wts) { SessionOf(wts, 3).info[WTSUserName] = vantrel::testing::WtsText(L"intruder"); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SessionsWindow w;
    SessionOf(w.wts, 3) = WithLogon(SessionOf(w.wts, 3), 555);
    ASSERT_TRUE(w.Start());
    w.Focus(3);
    // An action that is made fails, so that a box shows in every case.
    w.wts.actionResult = FALSE;
    w.wts.actionError = ERROR_ACCESS_DENIED;
    c.change(w.wts);
    if (c.act == Act::Send) {
      InputAnswerer input(L"hello");
      ::SendMessageW(w.page().SendMessageButton().hwnd(), BM_CLICK, 0, 0);
      ASSERT_TRUE(input.found);
    } else {
      BoxAnswerer yes(IDYES);
      const ActionBar::Button& button = c.act == Act::Disconnect ? w.page().DisconnectButton() : w.page().LogoffButton();
      ::SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
      ASSERT_TRUE(yes.found);
    }
    BoxAnswerer ok(IDOK);
    ASSERT_TRUE(PumpUntil(*w.main, [&] { return !w.page().ActionRunning() && ok.found; }));
    const auto calls = w.wts.Calls();
    if (c.acts) {
      ASSERT_EQ(calls.size(), 1u);
      EXPECT_EQ(calls[0].session, 3u);
      EXPECT_EQ(ok.seen.text, L"Session [3]clerk cannot be logged off.\r\n" + SystemErrorText(ERROR_ACCESS_DENIED));
    } else {
      EXPECT_EQ(calls.size(), 0u);
      EXPECT_EQ(ok.seen.text, L"会话 [3]clerk 已结束或已由另一次登录使用,操作已取消。");
      EXPECT_TRUE(ok.seen.hasOk);
    }
  }
}

// What a text becomes through the code page (a character it lacks turns into its replacement).
std::wstring ThroughAnsi(const std::wstring& text) {
  std::string bytes(text.size() * 4 + 1, '\0');
  bytes.resize(static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                                         bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                         nullptr)));
  return FromAnsi(bytes);
}

TEST(SessionJournal, EveryEventCodeGivesItsRowAndTheLogoffKeepsTheListedUser) {
  SessionsWindow w;
  ASSERT_TRUE(w.Start());
  ui::TreeGrid& journal = w.page().Journal();
  EXPECT_EQ(WindowText(w.page().JournalPanel().headerHwnd()), L"日志");
  EXPECT_FALSE(w.page().JournalPanel().Expanded());

  const struct {
    uint32_t code, session;
    const wchar_t* event;
    std::wstring user;
  } cases[] = {{1, 1, L"Console connect", Me()},
               {2, 1, L"Console disconnect", Me()},
               {3, 3, L"Remote connect", L"PC7\\clerk"},
               {4, 3, L"Remote disconnect", L"PC7\\clerk"},
               {5, 3, L"Session logon", L"PC7\\clerk"},
               {6, 5, L"Session logoff", L"PC9\\a;\"b"},
               {7, 1, L"Session lock", Me()},
               {8, 1, L"Session unlock", Me()},
               {9, 3, L"Session remote control", L"PC7\\clerk"},
               {10, 3, L"", L"PC7\\clerk"},
               {0x7FFF, 65536, L"", L""}};
  const std::wstring sesType = SessionTypeToStr(GetSessionType());
  for (const auto& c : cases) {
    w.SessionChange(c.code, c.session);
    ui::TreeNode* row = journal.VisibleRow(journal.VisibleRowCount() - 1);
    ASSERT_NE(row, nullptr);
    const SessionJournalRecord& r = *row->As<SessionJournalRecord>();
    EXPECT_EQ(r.Event, c.event) << c.code;
    EXPECT_EQ(r.Username, c.user) << c.code;
    EXPECT_EQ(r.Session, static_cast<int32_t>(c.session));
    EXPECT_EQ(r.SesType, sesType);
    EXPECT_EQ(journal.onGetText(*row, Index(JournalColumn::Session)), std::to_wstring(c.session));
    EXPECT_FALSE(journal.onGetText(*row, Index(JournalColumn::Timestamp)).empty());
  }
  EXPECT_EQ(journal.RowCount(), std::size(cases));
  EXPECT_EQ(WindowText(w.page().JournalPanel().headerHwnd()), L"Journal (11)");
  w.page().JournalPanel().SetExpanded(true);
  testing::ShowForLooking(*w.main);

  // The session ends and the system no longer knows its user: its logoff still names whom the list showed.
  std::erase_if(w.wts.sessions, [](const FakeWtsSession& s) { return s.id == 3; });
  w.SessionChange(WTS_SESSION_LOGOFF, 3);
  EXPECT_EQ(journal.VisibleRow(journal.VisibleRowCount() - 1)->As<SessionJournalRecord>()->Username, L"PC7\\clerk");
  EXPECT_EQ(w.page().FindSessionNode(3), nullptr) << "the list followed the change";

  // Clear, from the journal's own menu; the caption keeps its count until the next entry.
  ContextMenu menu = w.page().BuildContextMenu(journal.listHwnd());
  std::vector<std::wstring> captions;
  for (const auto& item : menu.Items()) captions.push_back(item.caption);
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"清除", L"", L"保存..."}));
  {
    BoxAnswerer yes(IDYES);
    EXPECT_TRUE(menu.Pick(L"清除"));
    ASSERT_TRUE(yes.found);
    EXPECT_EQ(yes.seen.text, L"你真的要清除日志信息?");
  }
  EXPECT_EQ(journal.RowCount(), 0u);
  EXPECT_EQ(WindowText(w.page().JournalPanel().headerHwnd()), L"Journal (12)");
}

TEST(SessionJournal, TheFileReadsBackFieldByFieldAndAFailedSaveKeepsTheEarlierOne) {
  SessionsWindow w;
  w.wts.sessions.push_back(FakeWtsSession::Make(6, L"RDP-Tcp#10", WTSActive, L"say \"hi\""));
  ASSERT_TRUE(w.Start());
  ui::TreeGrid& journal = w.page().Journal();
  const std::wstring path = TempPath(L"vantrel_journal_test.csv");

  // An empty journal: the header line alone.
  ASSERT_EQ(w.page().SaveJournalTo(path), 0u);
  std::wstring header;
  for (int c = 0; c < kJournalColumnCount; ++c) header += (c ? L";" : L"") + std::wstring(kJournalColumns[c].Caption);
  EXPECT_EQ(FromAnsi(ReadBytes(path)), ThroughAnsi(header) + L"\r\n");

  w.SessionChange(WTS_SESSION_LOGON, 3);
  w.SessionChange(WTS_SESSION_LOGOFF, 5);  // "PC9\a;"b": quoted, its quote doubled
  w.SessionChange(WTS_SESSION_LOCK, 6);    // 'say "hi"': a quote but no ";", left as it is
  ASSERT_EQ(w.page().SaveJournalTo(path), 0u);
  const std::string bytes = ReadBytes(path);
  EXPECT_NE(bytes.find("PC9\\a;\"\"b\""), std::string::npos);
  EXPECT_NE(bytes.find(";say \"hi\";"), std::string::npos);
  const std::wstring text = FromAnsi(bytes);
  const std::vector<std::vector<std::wstring>> lines = FieldLines(text);
  ASSERT_EQ(lines.size(), 4u);
  ASSERT_EQ(lines[0].size(), static_cast<size_t>(kJournalColumnCount));
  for (int c = 0; c < kJournalColumnCount; ++c)
    EXPECT_EQ(lines[0][static_cast<size_t>(c)], ThroughAnsi(kJournalColumns[c].Caption));
  const std::wstring users[] = {L"PC7\\clerk", L"PC9\\a;\"b", L"say \"hi\""};
  for (size_t r = 0; r < 3; ++r) {
    ASSERT_EQ(lines[r + 1].size(), static_cast<size_t>(kJournalColumnCount)) << r;
    ui::TreeNode* row = journal.VisibleRow(r);
    for (int c = 0; c < kJournalColumnCount; ++c)
      EXPECT_EQ(lines[r + 1][static_cast<size_t>(c)], ThroughAnsi(journal.onGetText(*row, c))) << r << "," << c;
    EXPECT_EQ(lines[r + 1][Index(JournalColumn::Name)], users[r]);
  }

  // Held open without sharing by another program: the save fails and the earlier file stays whole.
  const std::string earlier = ReadBytes(path);
  w.SessionChange(WTS_SESSION_UNLOCK, 6);
  HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_NE(w.page().SaveJournalTo(path), 0u);
  ::CloseHandle(holder);
  EXPECT_EQ(ReadBytes(path), earlier);
  ::DeleteFileW(path.c_str());
}

// Saving into a folder deeper than the classic path limit writes the same file as a short folder gets; a failure
// there shows the box with the file's name and the system's text, even when the thread's last error was 0 before.
TEST(Saving, TheJournalAndTheListWorkInALongFolderAndAFailureNamesTheFile) {
  SessionsWindow w;
  ASSERT_TRUE(w.Start());
  w.SessionChange(WTS_SESSION_LOGON, 3);
  w.SessionChange(WTS_SESSION_LOGOFF, 5);
  const vantrel::testing::LongFolder folder(TempPath(L"vantrel_long_" + std::to_wstring(::GetCurrentProcessId())),
                                            250);
  ASSERT_TRUE(folder.ok());
  ASSERT_GE(folder.path().size(), 250u);
  const struct {
    const char* what;
    std::function<DWORD(const std::wstring&)> save;
    std::function<bool(const std::wstring&)> saveReporting;
  } cases[] = {
      {"journal", [&](const std::wstring& p) { return w.page().SaveJournalTo(p); },
       [&](const std::wstring& p) { return w.page().SaveJournalReportingErrors(p); }},
      {"list", [&](const std::wstring& p) { return SaveTreeToCSV(w.grid(), p, CsvEncoding::Utf8WithBom); },
       [&](const std::wstring& p) { return SaveListReportingErrors(w.grid(), p, CsvEncoding::Utf8WithBom); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring shortPath = TempPath(L"vantrel_short_save.csv");
    ASSERT_EQ(c.save(shortPath), 0u);
    const std::string expected = ReadBytes(shortPath);
    ::DeleteFileW(shortPath.c_str());
    ASSERT_FALSE(expected.empty());

    const std::wstring path = folder.path() + L"\\saved.csv";
    ::SetLastError(0);
    EXPECT_TRUE(c.saveReporting(path));  // no box: a box here would wait for an answer
    EXPECT_EQ(vantrel::testing::LongFolder::Read(path), expected);

    const std::wstring missing = folder.path() + L"\\missing\\saved.csv";
    {
      BoxAnswerer ok(IDOK);
      ::SetLastError(0);
      EXPECT_FALSE(c.saveReporting(missing));
      ASSERT_TRUE(ok.found);
      ::SetLastError(0);
      const DWORD error = c.save(missing);
      EXPECT_NE(error, 0u);
      EXPECT_EQ(ok.seen.text, L"File " + missing + L" cannot be saved.\r\n" + SystemErrorText(error));
    }
    EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"saved.csv"}) << "no temporary file is left";
    ::DeleteFileW(vantrel::testing::LongFolder::Long(path).c_str());
  }
}

}  // namespace
}  // namespace vantrel::app
