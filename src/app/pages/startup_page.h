// The startup page: programs started with the system or at logon.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class StartupPage : public TreePage {
 public:
  StartupPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  // Rebuilds the list from the system; the name filter selects rows (empty: all).
  void RefreshAutoruns(const std::wstring& filter);

 protected:
  bool OnCreate() override;
};

}  // namespace vantrel::app
