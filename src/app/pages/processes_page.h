// The processes page: the process list or tree rebuilt from the process snapshot at every refresh, the header
// strip and details panel below it, the process filter and tree switch above it, the kill button, the check-all
// menu, and the ending of processes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/pages/latest_read.h"
#include "app/pages/action_runner.h"
#include "app/pages/page.h"
#include "app/pages/process_details_pages.h"
#include "controls/collapsible_panel.h"
#include "controls/inspector.h"
#include "controls/simple_controls.h"
#include "core/process/process_record.h"
#include "core/text/format_settings.h"
#include "system/process/process_actions.h"
#include "system/process/process_snapshot.h"

namespace vantrel::app {

class ProcessesPage : public TreePage {
 public:
  ProcessesPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  void Start(const CommandLineSwitches& switches, const StartupEnvironment& env) override;
  void BeforeFullRefresh(const SystemImageLists& lists) override;
  void OnAutoRefreshChanged(bool on) override;
  void ApplyDpi(const ui::Dpi& dpi) override;

  // Rebuilds the list from the system; the name filter selects rows by the start of their name (empty: all).
  void RefreshProcesses(const std::wstring& filter);
  // Ends the checked processes (automatic refresh off) or the focused one (on), after the user's confirmation. The
  // ending runs on a worker; its error boxes and the refresh follow when it reports.
  void TerminateProcesses();
  // Shows the process with its handle or module row (the find window asks through ProcessRowFeed): filters that
  // hide it are cleared, the details panel unfolds on that sub-page and the row is focused once it is read.
  bool ShowRequestedRow(const ProcessRowRequest& request);
  // Enter folds or unfolds the details; Del does what the kill button does now (its confirmation included).
  bool OnListKey(UINT key);
  // An ending of processes runs on its worker.
  bool Ending() const { return ending_.Running(); }
  // Tests: runs inside the walk of a refresh, right after each row was added.
  std::function<void(const ProcessRecord&)> onRowAdded;

  // --- what the user sees, for tests ---
  HWND ProcessFilter() const { return processFilter_; }
  ui::OnOffSwitch& TreeSwitch() { return treeSwitch_; }
  const ActionBar::Button& KillButton() const { return *kill_; }
  ui::HeaderStrip& HeaderStrip() { return header_; }
  ui::CollapsiblePanel& DetailsPanel() { return details_; }
  ui::PropertyInspector& Inspector() { return inspector_; }
  ProcessDetailsPages& DetailsPages() { return detailsPages_; }
  ProcessSnapshot& Snapshot() { return snapshot_; }
  // The command line the details show, and whether it is still being asked of WMI.
  std::wstring DetailsCommandLine() const;
  bool CommandLineBusy() const { return commandLineRead_.Busy(); }
  // The first row, in tree order, of a PID; a negative PID never matches.
  ui::TreeNode* FindProcessNode(int64_t pid);

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;
  void OnLayoutStrip(int width, int height) override;
  void OnCommand(WORD id, WORD code, HWND control) override;
  void AddContextMenuItems(HWND target, ContextMenu& menu) override;

 private:
  bool CreateStrip();
  void ApplyTreeLayout(bool tree);
  void SetCheckBoxes(bool autoRefresh);
  void ShowDetails(ui::TreeNode* node);
  void AskCommandLine(const ProcessRecord& r);
  void OnCommandLine(uint32_t pid, uint64_t createTime, const WmiProcessTexts& texts);
  void UpdateKillButton();
  bool FocusedRowCanBeKilled();
  std::vector<ProcessTarget> CheckedTargets();
  std::vector<ProcessTarget> FocusedTarget();
  void FollowEnding();
  void ReportEnding(const std::vector<ProcessTarget>& targets, const std::vector<TerminateOutcome>& outcomes);

  ProcessSnapshot snapshot_;
  HWND processFilter_ = nullptr;
  HWND treeLabel_ = nullptr;
  ui::OnOffSwitch treeSwitch_;
  ActionBar::Button* kill_ = nullptr;
  ui::HeaderStrip header_;
  ui::CollapsiblePanel details_;
  ui::PropertyInspector inspector_;
  ProcessDetailsPages detailsPages_;                     // the inspector, the modules and the handles
  int64_t publishedPid_ = -1;                            // the focused process the other pages follow
  ui::TreeNode* detailsNode_ = nullptr;                  // the row the details show
  std::pair<uint32_t, uint64_t> detailsIdentity_{0, 0};  // the process they show: PID and creation time
  ui::PropertyInspector::ItemId commandLineItem_ = ui::PropertyInspector::kNone;
  LatestRead commandLineRead_;  // WMI, for a command line the process's memory did not give
  bool restoringView_ = false;
  win::UniqueIcon headerIcon_;
  HIMAGELIST largeImages_ = nullptr;  // the shell's: not owned
  FormatSettings settings_;
  bool autoRefresh_ = false;
  bool killCaptionFollowsMode_ = false;  // the design caption stays until the mode is first switched
  // Ending processes: the button and the check boxes wait for it, the busy cursor shows.
  ActionRunner ending_{[this] { FollowEnding(); }, ActionRunner::Cursor::Busy};
  std::optional<ProcessRowRequest> requestedRow_;  // waits for the refresh that lists its process
};

}  // namespace vantrel::app
