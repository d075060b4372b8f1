#include "app/pages/sessions_page.h"

namespace vantrel::app {

void SessionsPage::RefreshSessions(const std::wstring& /*filter*/) {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

void SessionsPage::RefreshSessionProcesses() {
  // Filled together with the sessions reader.
}

}  // namespace vantrel::app
