// The environment page: the program's environment variables.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class EnvironmentPage : public TreePage {
 public:
  EnvironmentPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  // Rebuilds the list; the name filter selects rows (empty: all).
  void RefreshEnvironment(const std::wstring& filter);
};

}  // namespace vantrel::app
