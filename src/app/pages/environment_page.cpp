#include "app/pages/environment_page.h"

#include "core/shell/pages.h"

namespace vantrel::app {

EnvironmentPage::EnvironmentPage() : TreePage(kPageEnvironment) {}

void EnvironmentPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Environment) RefreshEnvironment(filter);
}

void EnvironmentPage::RefreshEnvironment(const std::wstring& /*filter*/) {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

}  // namespace vantrel::app
