#include "app/pages/windows_page.h"

namespace vantrel::app {

void WindowsPage::RefreshWindows() {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

}  // namespace vantrel::app
