#include "app/pages/services_page.h"

#include "core/shell/pages.h"

namespace vantrel::app {

ServicesPage::ServicesPage() : TreePage(kPageServices) {}

bool ServicesPage::OnCreate() {
  if (!CreateTree()) return false;
  control_ = &actions().Add(L"启动", [] {});
  uninstall_ = &actions().Add(L"卸载", [] {});
  actions().Add(L"服务管理器", [] {});
  tree().onFocusChanged = [this](ui::TreeNode*) { FollowFocusedRow(); };
  FollowFocusedRow();
  return true;
}

void ServicesPage::FollowFocusedRow() {
  // The buttons that act on a service show only while one has the focus.
  const bool focused = tree().FocusedNode() != nullptr;
  control_->SetVisible(focused);
  uninstall_->SetVisible(focused);
}

void ServicesPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Services) RefreshServices(filter);
}

void ServicesPage::RefreshServices(const std::wstring& /*filter*/) {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
  FollowFocusedRow();
}

}  // namespace vantrel::app
