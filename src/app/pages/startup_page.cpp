#include "app/pages/startup_page.h"

namespace vantrel::app {

void StartupPage::RefreshAutoruns(const std::wstring& /*filter*/) {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

}  // namespace vantrel::app
