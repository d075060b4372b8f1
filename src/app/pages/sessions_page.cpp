#include "app/pages/sessions_page.h"

#include "core/shell/pages.h"

namespace vantrel::app {

SessionsPage::SessionsPage() : TreePage(kPageSessions) {}

bool SessionsPage::OnCreate() {
  if (!CreateTree()) return false;
  // They act on a session row: disabled until one has the focus.
  for (const wchar_t* caption : {L"发送信息...", L"断开", L"注销"}) actions().Add(caption, [] {}).SetEnabled(false);
  return true;
}

void SessionsPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Sessions) RefreshSessions(filter);
  else if (step == Refresher::SessionProcesses) RefreshSessionProcesses();
}

void SessionsPage::RefreshSessions(const std::wstring& /*filter*/) {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

void SessionsPage::RefreshSessionProcesses() {
  // Filled together with the sessions reader.
}

}  // namespace vantrel::app
