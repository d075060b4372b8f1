// The pages of the window, in page-index order: the one list the frame walks.
#include "app/pages/environment_page.h"
#include "app/pages/log_page.h"
#include "app/pages/page.h"
#include "app/pages/performance_page.h"
#include "app/pages/processes_page.h"
#include "app/pages/services_page.h"
#include "app/pages/sessions_page.h"
#include "app/pages/startup_page.h"
#include "app/pages/windows_page.h"

namespace vantrel::app {

std::vector<std::unique_ptr<Page>> CreatePages() {
  std::vector<std::unique_ptr<Page>> pages;
  pages.push_back(std::make_unique<ProcessesPage>());
  pages.push_back(std::make_unique<WindowsPage>());
  pages.push_back(std::make_unique<ServicesPage>());
  pages.push_back(std::make_unique<SessionsPage>());
  pages.push_back(std::make_unique<StartupPage>());
  pages.push_back(std::make_unique<EnvironmentPage>());
  pages.push_back(std::make_unique<PerformancePage>());
  pages.push_back(std::make_unique<LogPage>());
  return pages;
}

}  // namespace vantrel::app
