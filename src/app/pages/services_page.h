// The services page.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class ServicesPage : public TreePage {
 public:
  ServicesPage() : TreePage(1102) {}
  // Rebuilds the list from the system; the name filter selects rows (empty: all).
  void RefreshServices(const std::wstring& filter);
};

}  // namespace vantrel::app
