// The processes page: the process list or tree, rebuilt from the process snapshot at every refresh.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/pages/page.h"
#include "controls/collapsible_panel.h"
#include "controls/inspector.h"
#include "core/process/process_record.h"
#include "core/text/format_settings.h"
#include "system/process/process_actions.h"
#include "system/process/process_snapshot.h"

namespace vantrel::app {

class ProcessesPage : public TreePage {
 public:
  // What a refresh reads from the window around the page.
  struct Context {
    int processFilter = 0;      // index of the process filter
    bool treeMode = false;      // the tree switch
    bool autoRefresh = false;   // the automatic-refresh switch
    bool timerEnabled = false;  // during a periodic refresh
    HWND windowFilter = nullptr;  // the windows page's process list
    TProcesses* sessionProcesses = nullptr;
  };

  ProcessesPage() : TreePage(1100) {}
  bool Create(HWND parent) override;
  void Layout(const RECT& area) override;
  void Show(bool visible) override;
  // The large system image list, for the header strip's icon.
  void SetLargeImageList(HIMAGELIST images) { largeImages_ = images; }
  // Fills the header strip and the inspector from the focused row (ProcTreeFocusChanged).
  void ShowDetails(ui::TreeNode* node);
  ui::HeaderStrip& HeaderStrip() { return procPanel_; }
  ui::CollapsiblePanel& DetailsPanel() { return details_; }
  ui::PropertyInspector& Inspector() { return inspProc_; }

  // Rebuilds the list from the system; the name filter selects rows by the start of their name (empty: all).
  void RefreshProcesses(const std::wstring& filter);
  // Flat list or parent/child tree.
  void ApplyTreeLayout(bool tree);
  // Automatic refresh on: no check boxes. Off: a box on every row that may be terminated.
  void SetCheckBoxes(bool autoRefresh, uint32_t ownPid);
  // The first row, in tree order, of a PID; a negative PID never matches.
  ui::TreeNode* FindProcessNode(int64_t pid);
  // Whether the focused row's process may be terminated.
  bool FocusedRowCanBeKilled();
  size_t CheckedCount() { return tree().CheckedCount(); }
  // The processes to end, copied from the rows: every checked row in tree order, or the focused row.
  std::vector<TProcessTarget> CheckedTargets();
  std::vector<TProcessTarget> FocusedTarget();

  std::function<Context()> context;
  std::function<void(const std::wstring& caption)> onCaptionChanged;
  // The focus or a check mark changed: the kill button follows.
  std::function<void()> onRowsChanged;
  std::function<void(const std::wstring& line)> log;
  // The focused process changed: the windows page lists its windows.
  std::function<void()> onFocusedProcessChanged;
  // The icon of a process whose own icon is unknown.
  void SetDefaultImageIndex(int index) { snapshot_.Options.DefaultImageIndex = index; }

 private:
  void FillWindowFilter(HWND combo, std::vector<std::pair<std::wstring, uint32_t>> entries, int64_t keepPid);

  TProcessSnapshot snapshot_;
  ui::HeaderStrip procPanel_;
  ui::CollapsiblePanel details_;
  ui::PropertyInspector inspProc_;
  win::UniqueIcon procIcon_;
  HIMAGELIST largeImages_ = nullptr;  // the shell's: not owned
  RECT area_{};
  TFormatSettings settings_;
  bool autoRefresh_ = false;
};

}  // namespace vantrel::app
