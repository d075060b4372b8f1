#include "app/pages/services_page.h"

namespace vantrel::app {

void ServicesPage::RefreshServices(const std::wstring& /*filter*/) {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

}  // namespace vantrel::app
