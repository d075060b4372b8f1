// The processes page: the process list or tree.
#pragma once

#include <cstdint>
#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class ProcessesPage : public TreePage {
 public:
  ProcessesPage() : TreePage(1100) {}

  // Rebuilds the list from the system; the name filter selects rows (empty: all).
  void RefreshProcesses(const std::wstring& filter);
  // Flat list or parent/child tree.
  void ApplyTreeLayout(bool tree);
  // Automatic refresh on: no check boxes. Off: a box on every row that may be terminated.
  void SetCheckBoxes(bool autoRefresh, uint32_t ownPid);
  // Whether the focused row's process may be terminated.
  bool FocusedRowCanBeKilled();
  size_t CheckedCount() { return tree().CheckedCount(); }
};

}  // namespace vantrel::app
