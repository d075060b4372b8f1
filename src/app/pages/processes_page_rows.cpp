// The processes page's answer to a request for a process's handle or module row.
#include "app/pages/processes_page.h"
#include "core/handles/handle_records.h"

namespace vantrel::app {

bool ProcessesPage::ShowRequestedRow(const ProcessRowRequest& request) {
  ui::TreeNode* node = FindProcessNode(request.pid);
  if (!node) {
    // Hidden by the process filter, or not listed yet: all processes, read again. The refresh may have to wait
    // for one that runs: the request waits with it.
    ::SendMessageW(processFilter_, CB_SETCURSEL, 0, 0);
    requestedRow_ = request;
    host().RefreshCommand();  // answers it at its end, now or after the refresh that runs
    return true;
  }
  ProcessDetailsPages::SubPage page = ProcessDetailsPages::kHandles;
  if (request.module) {
    page = ProcessDetailsPages::kModules;
    detailsPages_.Modules().FocusAfterRead(request.imageName);
  } else {
    detailsPages_.Handles().FocusAfterRead(HandleValueText(request.handle));
  }
  detailsPages_.Select(page);
  details_.SetExpanded(true);
  // Focusing the row reads its modules and handles again, now with the panel shown.
  tree().SetFocusedNode(node);
  tree().ScrollIntoView(node, true);
  ::SetFocus(tree().hwnd());
  return true;
}

bool ProcessesPage::OnListKey(UINT key) {
  if (!tree().FocusedNode()) return false;
  if (key == VK_RETURN) {
    details_.SetExpanded(!details_.Expanded());
    return true;
  }
  if (key == VK_DELETE) {
    if (kill_->Enabled()) TerminateProcesses();
    return true;
  }
  return false;
}

}  // namespace vantrel::app
