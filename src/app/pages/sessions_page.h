// The sessions page: the terminal-services sessions with disconnect, log off and send message, the session
// process list the process refresh merges, and below the list the journal of session changes.
#pragma once

#include <cstdint>
#include <string>

#include "app/pages/action_runner.h"
#include "app/pages/page.h"
#include "controls/collapsible_panel.h"
#include "core/journal/journal.h"
#include "core/sessions/session_rules.h"
#include "core/text/format_settings.h"
#include "system/os/wts_api.h"
#include "system/sessions/session_reader.h"

namespace vantrel::app {

class SessionsPage : public TreePage {
 public:
  SessionsPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  void ApplyDpi(const ui::Dpi& dpi) override;

  // The terminal services the page reads and acts through (the system's binding unless a test gives another).
  void SetWtsApi(IWtsApi& api) { wts_ = &api; }
  // Rebuilds the session process list and the list; the name filter keeps users that begin with it (empty: all).
  void RefreshSessions(const std::wstring& filter);
  // Renews only the session process list that the process refresh reads.
  void RefreshSessionProcesses();

  // The button handlers: each copies its target before asking, and acts on a worker.
  void DisconnectFocusedSession();
  void LogoffFocusedSession();
  void SendMessageToFocusedSession();
  // A session change as the system reports it: one journal row.
  void AddJournalEntry(uint32_t code, uint32_t session);
  // The journal's menu items.
  void ClearJournal();
  void SaveJournal();
  // Writes the journal as its file; 0 or the error of the call that failed (the earlier file stays intact).
  DWORD SaveJournalTo(const std::wstring& path);
  // The same with the error box, which names the file; true when saved.
  bool SaveJournalReportingErrors(const std::wstring& path);

  // --- what the user sees, for tests ---
  const ActionBar::Button& SendMessageButton() const { return *sendMessage_; }
  const ActionBar::Button& DisconnectButton() const { return *disconnect_; }
  const ActionBar::Button& LogoffButton() const { return *logoff_; }
  ui::TreeGrid& Journal() { return journal_; }
  ui::CollapsiblePanel& JournalPanel() { return journalPanel_; }
  // The first row of a session; none for a negative id.
  ui::TreeNode* FindSessionNode(int64_t id);
  bool ActionRunning() const { return action_.Running(); }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;
  void AddContextMenuItems(HWND target, ContextMenu& menu) override;

 private:
  enum class Action { Disconnect, Logoff, SendMessage };
  bool CreateJournal();
  void UpdateButtons();
  void RestoreFocus(int64_t focusedId, int64_t topId);
  bool TakeTarget(SessionTarget& target);
  void RunAction(Action action, const SessionTarget& target, const std::wstring& title, const std::wstring& text);
  ActionRunner::After ReportAction(Action action, const SessionTarget& target, const SessionOutcome& outcome);

  IWtsApi* wts_;
  SessionRecords listed_;  // every session of the last read, unfiltered: whom a journal entry concerns
  ActionBar::Button* sendMessage_ = nullptr;
  ActionBar::Button* disconnect_ = nullptr;
  ActionBar::Button* logoff_ = nullptr;
  ui::CollapsiblePanel journalPanel_;
  ui::TreeGrid journal_;
  FormatSettings settings_;
  ActionRunner action_{[this] { UpdateButtons(); }};
};

}  // namespace vantrel::app
