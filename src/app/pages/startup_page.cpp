#include "app/pages/startup_page.h"

#include "core/shell/pages.h"

namespace vantrel::app {

StartupPage::StartupPage() : TreePage(kPageStartup) {}

bool StartupPage::OnCreate() {
  if (!CreateTree()) return false;
  actions().Add(L"删除检查自动运行", [] {}).SetEnabled(false);  // waits for a checked entry
  return true;
}

void StartupPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Autoruns) RefreshAutoruns(filter);
}

void StartupPage::RefreshAutoruns(const std::wstring& /*filter*/) {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

}  // namespace vantrel::app
