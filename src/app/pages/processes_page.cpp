#include "app/pages/processes_page.h"

#include "core/shell/startup_rules.h"

namespace vantrel::app {

void ProcessesPage::RefreshProcesses(const std::wstring& /*filter*/) {
  // The process snapshot that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

void ProcessesPage::ApplyTreeLayout(bool treeLayout) { tree().SetTreeLayout(treeLayout); }

void ProcessesPage::SetCheckBoxes(bool autoRefresh, uint32_t ownPid) {
  ui::TreeGrid::UpdateBlock block(tree());
  for (ui::TreeNode* node = tree().First(); node; node = tree().Next(node)) {
    tree().SetCheckBox(node, false);
    // Rows carry no process record yet; once they do, the record decides (PID, termination access).
    (void)ownPid;
    (void)autoRefresh;
  }
}

bool ProcessesPage::FocusedRowCanBeKilled() { return false; }

}  // namespace vantrel::app
