// The windows page: the top-level windows of the process chosen in the windows filter.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class WindowsPage : public TreePage {
 public:
  WindowsPage() : TreePage(1101) {}
  // Rebuilds the list from the system; it reads its own filter controls.
  void RefreshWindows();
};

}  // namespace vantrel::app
