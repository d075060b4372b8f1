#include "core/shell/refresh_plan.h"

#include "core/shell/pages.h"

namespace vantrel {

std::vector<RefreshStep> PlanRefresh(RefreshKind kind, int activePage, const std::wstring& filterText) {
  if (kind == RefreshKind::Periodic) return PlanTimerRefresh(activePage, filterText);
  std::vector<RefreshStep> plan;
  auto filterOf = [&](int page) { return page == activePage ? filterText : std::wstring(); };

  plan.push_back({Refresher::Sessions, filterOf(kPageSessions)});
  plan.push_back({Refresher::Services, filterOf(kPageServices)});
  // A manual refresh renews the session process list right before the processes read it; only the list,
  // so that the sessions page keeps its own filter.
  if (kind == RefreshKind::ActivePage) plan.push_back({Refresher::SessionProcesses, L""});
  plan.push_back({Refresher::Processes, filterOf(kPageProcesses)});
  plan.push_back({Refresher::Windows, L""});
  plan.push_back({Refresher::Environment, filterOf(kPageEnvironment)});
  plan.push_back({Refresher::Autoruns, filterOf(kPageStartup)});
  return plan;
}

std::vector<RefreshStep> PlanTimerRefresh(int activePage, const std::wstring& filterText) {
  switch (activePage) {
    case kPageProcesses:
      return {{Refresher::Sessions, L""}, {Refresher::Processes, filterText}, {Refresher::Windows, L""}};
    case kPageWindows: return {{Refresher::Windows, L""}};
    case kPageServices: return {{Refresher::Services, filterText}};
    case kPageSessions: return {{Refresher::Sessions, filterText}};
    default: return {};
  }
}

const wchar_t* RefresherName(Refresher r) {
  switch (r) {
    case Refresher::Sessions: return L"RefreshSessions";
    case Refresher::SessionProcesses: return L"RefreshSessionProcesses";
    case Refresher::Services: return L"RefreshServices";
    case Refresher::Processes: return L"RefreshProcesses";
    case Refresher::Windows: return L"RefreshWindows";
    case Refresher::Environment: return L"RefreshEnvironment";
    case Refresher::Autoruns: return L"RefreshAutoruns";
  }
  return L"";
}

int RefresherPage(Refresher r) {
  switch (r) {
    case Refresher::Sessions:
    case Refresher::SessionProcesses: return kPageSessions;
    case Refresher::Services: return kPageServices;
    case Refresher::Processes: return kPageProcesses;
    case Refresher::Windows: return kPageWindows;
    case Refresher::Environment: return kPageEnvironment;
    case Refresher::Autoruns: return kPageStartup;
  }
  return kPageProcesses;
}

}  // namespace vantrel
