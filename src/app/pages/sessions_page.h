// The sessions page: terminal-services sessions and the session journal.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class SessionsPage : public TreePage {
 public:
  SessionsPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  // Rebuilds the list from the system; the name filter selects rows (empty: all).
  void RefreshSessions(const std::wstring& filter);
  // Renews only the session process list that the process refresh reads.
  void RefreshSessionProcesses();

 protected:
  bool OnCreate() override;
};

}  // namespace vantrel::app
