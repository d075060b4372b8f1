// The startup entries page.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class StartupPage : public TreePage {
 public:
  StartupPage() : TreePage(1104) {}
  // Rebuilds the list from the system; the name filter selects rows (empty: all).
  void RefreshAutoruns(const std::wstring& filter);
};

}  // namespace vantrel::app
