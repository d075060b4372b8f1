// The services page: the services, their start and stop, the services console.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class ServicesPage : public TreePage {
 public:
  ServicesPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  // Rebuilds the list from the system; the name filter selects rows (empty: all).
  void RefreshServices(const std::wstring& filter);

 protected:
  bool OnCreate() override;

 private:
  void FollowFocusedRow();

  ActionBar::Button* control_ = nullptr;
  ActionBar::Button* uninstall_ = nullptr;
};

}  // namespace vantrel::app
