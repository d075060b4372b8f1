// Which refreshers run, in which order and with which name filter, for each way of refreshing.
#pragma once

#include <string>
#include <vector>

#include "core/shell/refresh_gate.h"

namespace vantrel {

enum class Refresher {
  Sessions,          // RefreshSessions: the sessions list (and the session process list)
  SessionProcesses,  // renews only the session process list that the process refresh reads
  Services,
  Processes,
  Windows,
  Environment,
  Autoruns,
};

struct RefreshStep {
  Refresher refresher;
  std::wstring filter;
  bool operator==(const RefreshStep&) const = default;
};

// The lists a refresh rebuilds, in order; the name filter goes only to the list of the active page.
std::vector<RefreshStep> PlanRefresh(RefreshKind kind, int activePage, const std::wstring& filterText);

// The periodic refresh: only the active page among processes, windows, services and sessions.
std::vector<RefreshStep> PlanTimerRefresh(int activePage, const std::wstring& filterText);

// The log is cleared before a full or manual refresh once the process list has rows, so the start-up
// messages survive the first refresh.
constexpr bool RefreshClearsLog(bool processListHasRows) { return processListHasRows; }

const wchar_t* RefresherName(Refresher r);
// The page whose list a refresher rebuilds.
int RefresherPage(Refresher r);

}  // namespace vantrel
