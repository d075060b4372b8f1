// The environment page: the program's environment variables.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class EnvironmentPage : public TreePage {
 public:
  EnvironmentPage() : TreePage(1105) {}
  // Rebuilds the list from the system; the name filter selects rows (empty: all).
  void RefreshEnvironment(const std::wstring& filter);
};

}  // namespace vantrel::app
