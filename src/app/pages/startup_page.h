// The startup page: what Windows starts automatically (registry places in both views, browser helper objects,
// the two startup folders), grouped by place, with the focused entry's file below the list, and the removal of
// the checked entries.
#pragma once

#include <string>
#include <vector>

#include "app/pages/latest_read.h"
#include "app/pages/page.h"
#include "controls/inspector.h"
#include "core/startup/autorun.h"
#include "system/startup/autorun_reader.h"
#include "system/raii.h"

namespace vantrel::app {

class StartupPage : public TreePage {
 public:
  StartupPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  void BeforeFullRefresh(const SystemImageLists& lists) override;
  void ApplyDpi(const ui::Dpi& dpi) override;
  // Reads the entries on a worker and rebuilds the list when they arrive (the newest read wins; the list shown
  // stays until then); the name filter selects entries by the start of their name (empty: all).
  void RefreshAutoruns(const std::wstring& filter);
  // Removes the checked entries after the user's confirmation, on a worker, then refreshes.
  void RemoveCheckedEntries();
  // The same for these entries (Del: the focused one).
  void RemoveEntries(std::vector<AutorunRecord> entries);
  // A read or a removal is under way.
  bool Busy() const { return read_.Busy() || removal_.Busy(); }

  // --- what the user sees, for tests ---
  const ActionBar::Button& DeleteButton() const { return *delete_; }
  ui::HeaderStrip& EntryPanel() { return panel_; }
  // A group row is a root row; its entries are below it.
  static bool IsGroupRow(const ui::TreeNode& node) { return node.parent() == nullptr; }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;
  void AddContextMenuItems(HWND target, ContextMenu& menu) override;

 private:
  void ShowEntry(ui::TreeNode* node);
  void UpdateDeleteButton();
  void ShowScan(AutorunScan scan);
  void RemovalDone(const std::vector<AutorunRemovalOutcome>& outcomes);

  ActionBar::Button* delete_ = nullptr;
  ui::HeaderStrip panel_;
  win::UniqueIcon panelIcon_;
  HIMAGELIST largeImages_ = nullptr;  // the shell's: not owned
  int appIcon_ = 0, registryIcon_ = 0, browserIcon_ = 0;
  LatestRead read_;
  LatestRead removal_;  // one at a time: the button is disabled meanwhile
};

}  // namespace vantrel::app
