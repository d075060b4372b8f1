#include "app/pages/sessions_page.h"

#include <algorithm>
#include <vector>

#include "app/ui/input_box.h"
#include "app/ui/list_export.h"
#include "app/pages/sessions_texts.h"
#include "controls/message_dialogs.h"
#include "core/shell/pages.h"
#include "system/os/accounts.h"
#include "system/os/system_facts.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace texts = sessions_texts;
namespace {

constexpr int kIdJournalPanel = 130;
constexpr int kIdJournal = 131;
// A column without a width of its own: wide enough for its caption.
constexpr int kDefaultColumnWidth = 64;
// The longest texts of these columns ("Disconnected", the long time with its AM/PM) in the window's font.
constexpr int kStateColumnWidth = 95;
constexpr int kTimestampColumnWidth = 150;

const SessionRecord& RecordOf(const ui::TreeNode& node) { return *node.As<SessionRecord>(); }

}  // namespace

SessionsPage::SessionsPage() : TreePage(kPageSessions), wts_(&WtsApi()) {}

bool SessionsPage::OnCreate() {
  host().Feeds().sessionChanges.Follow([this](const SessionChange& c) { AddJournalEntry(c.code, c.session); });
  if (!CreateTree() || !CreateJournal()) return false;
  ui::TreeGrid& grid = tree();
  using A = ui::ColumnAlign;
  std::vector<ui::TreeGridColumn> columns;
  for (int c = 0; c < kSessionColumnCount; ++c) {
    const SessionColumnInfo& info = kSessionColumns[c];
    const int width = c == Index(SessionColumn::State) ? kStateColumnWidth
                      : info.Width > 0                 ? info.Width
                                                       : kDefaultColumnWidth;
    columns.push_back({info.Caption, info.RightAlign ? A::Right : A::Left, width});
  }
  grid.SetColumns(std::move(columns));
  grid.onGetText = [](const ui::TreeNode& node, int column) { return SessionCellText(RecordOf(node), column); };
  grid.onGetKey = [](const ui::TreeNode& node) { return std::to_wstring(RecordOf(node).ID); };
  grid.onFocusChanged = [this](ui::TreeNode*) { UpdateButtons(); };

  sendMessage_ = &actions().Add(texts::kSendMessageButton, [this] { SendMessageToFocusedSession(); });
  disconnect_ = &actions().Add(texts::kDisconnectButton, [this] { DisconnectFocusedSession(); });
  logoff_ = &actions().Add(texts::kLogoffButton, [this] { LogoffFocusedSession(); });
  UpdateButtons();
  return true;
}

bool SessionsPage::CreateJournal() {
  const RECT none{0, 0, 0, 0};
  if (!journalPanel_.Create(hwnd(), kIdJournalPanel, none, texts::kJournalPanel, false) ||
      !journal_.Create(journalPanel_.hwnd(), kIdJournal, none))
    return false;
  ::ShowWindow(journalPanel_.hwnd(), SW_SHOW);
  ::ShowWindow(journal_.hwnd(), SW_SHOW);
  journalPanel_.SetContent(journal_.hwnd());
  using A = ui::ColumnAlign;
  std::vector<ui::TreeGridColumn> columns;
  for (int c = 0; c < kJournalColumnCount; ++c) {
    const JournalColumnInfo& info = kJournalColumns[c];
    const int width = c == Index(JournalColumn::Timestamp) ? kTimestampColumnWidth
                      : info.Width > 0                     ? info.Width
                                                           : kDefaultColumnWidth;
    columns.push_back({info.Caption, info.RightAlign ? A::Right : A::Left, width, 0, c == Index(JournalColumn::Event)});
  }
  journal_.SetColumns(std::move(columns));
  journal_.onGetText = [this](const ui::TreeNode& node, int column) {
    return JournalCellText(*node.As<SessionJournalRecord>(), column, settings_);
  };
  journalPanel_.onExpandedChanged = [this](bool) {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    OnLayout(rc.right, rc.bottom);
  };
  settings_ = ReadUserFormatSettings();
  return true;
}

void SessionsPage::OnLayout(int width, int height) {
  const int panel = journalPanel_.Expanded() ? height / 2 : journalPanel_.HeaderHeight();
  const int listBottom = std::max(0, height - panel);
  ::MoveWindow(tree().hwnd(), 0, 0, width, listBottom, TRUE);
  ::MoveWindow(journalPanel_.hwnd(), 0, listBottom, width, height - listBottom, TRUE);
}

void SessionsPage::ApplyDpi(const ui::Dpi& dpi) {
  TreePage::ApplyDpi(dpi);
  journalPanel_.ApplyDpi(dpi);
  journal_.ApplyDpi(dpi);
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  OnLayout(rc.right, rc.bottom);
}

void SessionsPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Sessions) RefreshSessions(filter);
  else if (step == Refresher::SessionProcesses) RefreshSessionProcesses();
}

void SessionsPage::RefreshSessionProcesses() {
  const bool extended = UseExtendedSessionProcesses(SystemFacts().OS >= OsKind::Win7, host().Refresh().TimerRunning());
  SessionsSnapshot snapshot = ReadSessionsSnapshot(*wts_, extended);
  host().Feeds().sessionProcesses.records = std::move(snapshot.Processes.Processes);
}

void SessionsPage::RefreshSessions(const std::wstring& filter) {
  // A periodic refresh of another page reads the sessions for the session process list alone: each read asks every
  // process for its owner, which is most of that refresh's cost.
  if (host().Refresh().InPeriodicRefresh() && host().ActivePage() != Position() &&
      !host().Feeds().sessionProcesses.Wanted())
    return;
  // The process list and the counts come from every session; the filter only chooses the rows.
  const bool extended = UseExtendedSessionProcesses(SystemFacts().OS >= OsKind::Win7, host().Refresh().TimerRunning());
  SessionsSnapshot snapshot = ReadSessionsSnapshot(*wts_, extended);
  host().Feeds().sessionProcesses.records = std::move(snapshot.Processes.Processes);
  listed_ = std::move(snapshot.Sessions.Sessions);

  ui::TreeGrid& grid = tree();
  const ui::TreeViewState view = grid.SaveView();
  const int64_t focusedId = view.hasFocused ? std::stoll(view.focusedKey) : -1;
  const int64_t topId = view.hasTop ? std::stoll(view.topKey) : -1;
  const std::wstring& currentUser = SystemFacts().CurrentUserName;
  {
    ui::TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    for (const SessionRecord& record : listed_) {
      if (!SessionPassesFilter(record.Username, filter)) continue;
      ui::TreeNode* node = grid.AddRow(nullptr, record);
      const uint32_t colour = SessionRowColour(record, currentUser);
      if (colour != kSessionDefaultColour) grid.SetTextColor(node, static_cast<COLORREF>(colour));
    }
  }
  RestoreFocus(focusedId, topId);
  UpdateButtons();
  host().SetPageCaption(Position(), SessionsCaption(grid.RowCount()));
  // Only a system without sessions hides the tab, never the filter.
  host().SetPageTabVisible(Position(), SessionsTabVisible(listed_.size()));
}

void SessionsPage::RestoreFocus(int64_t focusedId, int64_t topId) {
  // A focused session that ended leaves no row focused: the buttons must not act on another one.
  ui::TreeGrid& grid = tree();
  ui::TreeNode* focused = FindSessionNode(focusedId);
  if (focused) grid.SetFocusedNode(focused);
  ui::TreeNode* top = host().Refresh().InPeriodicRefresh() ? FindSessionNode(topId) : nullptr;
  if (top) grid.SetTopNode(top);
  else if (focused) grid.ScrollIntoView(focused, true);
}

ui::TreeNode* SessionsPage::FindSessionNode(int64_t id) {
  if (id < 0) return nullptr;
  return tree().FindNode([id](const ui::TreeNode& node) { return RecordOf(node).ID == id; });
}

void SessionsPage::UpdateButtons() {
  ui::TreeNode* node = tree().FocusedNode();
  const SessionButtons b = SessionButtonState(node ? &RecordOf(*node) : nullptr);
  const bool idle = !action_.Running();
  sendMessage_->SetEnabled(b.SendMessage && idle);
  disconnect_->SetEnabled(b.Disconnect && idle);
  logoff_->SetEnabled(b.Logoff && idle);
}

bool SessionsPage::TakeTarget(SessionTarget& target) {
  ui::TreeNode* node = tree().FocusedNode();
  if (!node || action_.Running()) return false;
  target = MakeSessionTarget(RecordOf(*node));
  return true;
}

void SessionsPage::DisconnectFocusedSession() {
  // The target is copied before the question: a refresh while the box is up cannot change it.
  const auto pause = host().Refresh().PauseTimer();
  SessionTarget target;
  if (!TakeTarget(target) || !ConfirmDlg(SessionDisconnectConfirmText(target))) return;
  RunAction(Action::Disconnect, target, L"", L"");
}

void SessionsPage::LogoffFocusedSession() {
  const auto pause = host().Refresh().PauseTimer();
  SessionTarget target;
  if (!TakeTarget(target) || !ConfirmDlg(SessionLogoffConfirmText(target))) return;
  RunAction(Action::Logoff, target, L"", L"");
}

void SessionsPage::SendMessageToFocusedSession() {
  const auto pause = host().Refresh().PauseTimer();
  SessionTarget target;
  if (!TakeTarget(target)) return;
  std::wstring text;
  if (!InputQuery(host().OwnerWindow(), SessionMessageCaption(target), texts::kMessagePrompt, text)) return;
  const std::wstring title = SessionMessageTitle(SystemFacts().CurrentUserName, GetCurrentSessionId(*wts_));
  RunAction(Action::SendMessage, target, title, text);
}

void SessionsPage::RunAction(Action action, const SessionTarget& target, const std::wstring& title,
                             const std::wstring& text) {
  // Disconnect and log off wait for the system; the window keeps answering meanwhile. The buttons stay disabled
  // until the result is back, so the worker is the only caller of its terminal-services function.
  IWtsApi* api = wts_;
  action_.Run(
      host(),
      [api, action, target, title, text] {
        // The session is read again right before acting: while the box was up it may have ended and its number
        // gone to another logon, and the action must never reach that user.
        return ActOnUnchangedSession(*api, target, [&] {
          switch (action) {
            case Action::Disconnect: return DisconnectSession(*api, target.ID);
            case Action::Logoff: return LogoffSession(*api, target.ID);
            case Action::SendMessage: break;
          }
          return SendSessionMessage(*api, target.ID, title, text);
        });
      },
      [this, action, target](const SessionOutcome& outcome) { return ReportAction(action, target, outcome); });
}

ActionRunner::After SessionsPage::ReportAction(Action action, const SessionTarget& target,
                                               const SessionOutcome& outcome) {
  if (outcome.Changed) {
    ErrorDlg(SessionChangedErrorText(target));
    return ActionRunner::After::Refresh;
  }
  const std::wstring message = outcome.Ok ? std::wstring() : SystemErrorText(outcome.Error);
  switch (action) {
    case Action::Disconnect:
      if (!outcome.Ok) ErrorDlg(SessionDisconnectErrorText(target, message));
      break;
    case Action::Logoff:
      if (!outcome.Ok) ErrorDlg(SessionLogoffErrorText(target, message));
      break;
    case Action::SendMessage:
      if (outcome.Ok) InfoDlg(texts::kMessageSent);
      else ErrorDlg(message);
      return ActionRunner::After::Nothing;  // sending changes no session
  }
  return ActionRunner::After::Refresh;
}

// --- the journal ---

void SessionsPage::AddJournalEntry(uint32_t code, uint32_t session) {
  {
    ui::TreeGrid::UpdateBlock block(journal_);
    journal_.AddRow(nullptr, NewJournalEntry(*wts_, code, session, listed_));
  }
  ::SetWindowTextW(journalPanel_.headerHwnd(), JournalCaption(journal_.RowCount()).c_str());
  ::InvalidateRect(journalPanel_.headerHwnd(), nullptr, TRUE);
  // Without the timer the list would not follow the change on its own (the list is unfiltered when not shown).
  if (host().Refresh().TimerRunning()) return;
  // While a refresh walks the lists (this message came through one of its waits) the session process list it reads
  // must stay as it is: the refresh command waits for the walk.
  if (Active() || host().Refresh().ListsBusy()) host().RefreshCommand();
  else RefreshSessions(L"");
}

void SessionsPage::AddContextMenuItems(HWND target, ContextMenu& menu) {
  if (target != journal_.hwnd() && !::IsChild(journal_.hwnd(), target)) return;
  menu.Add(texts::kJournalClear, [this] { ClearJournal(); });
  menu.AddSeparator();
  menu.Add(texts::kJournalSave, [this] { SaveJournal(); });
}

void SessionsPage::ClearJournal() {
  // The panel's caption keeps its count until the next entry.
  if (ConfirmDlg(texts::kJournalClearQuestion)) journal_.Clear();
}

void SessionsPage::SaveJournal() {
  const std::wstring path =
      // The journal's name is taken exactly as entered: no extension is added.
      AskSaveFileName(host().OwnerWindow(), JournalProposedFileName(SystemFacts().MachineName),
                      texts::kJournalSaveDialogFilter, nullptr);
  if (!path.empty()) SaveJournalReportingErrors(path);
}

bool SessionsPage::SaveJournalReportingErrors(const std::wstring& path) {
  return SaveListReportingErrors(journal_, path, CsvEncoding::AnsiCodePage);
}

DWORD SessionsPage::SaveJournalTo(const std::wstring& path) {
  return SaveTreeToCSV(journal_, path, CsvEncoding::AnsiCodePage);
}

}  // namespace vantrel::app
