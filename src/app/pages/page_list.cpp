// The pages of the window, each at its page index: the one list the frame walks.
#include <stdexcept>

#include "app/pages/environment_page.h"
#include "app/pages/log_page.h"
#include "app/pages/page.h"
#include "app/pages/performance_page.h"
#include "app/pages/processes_page.h"
#include "app/pages/services_page.h"
#include "app/pages/sessions_page.h"
#include "app/pages/startup_page.h"
#include "app/pages/windows_page.h"
#include "core/shell/pages.h"

namespace vantrel::app {

std::vector<std::unique_ptr<Page>> CreatePages() {
  std::unique_ptr<Page> made[] = {
      std::make_unique<ProcessesPage>(),   std::make_unique<WindowsPage>(), std::make_unique<ServicesPage>(),
      std::make_unique<SessionsPage>(),    std::make_unique<StartupPage>(), std::make_unique<EnvironmentPage>(),
      std::make_unique<PerformancePage>(), std::make_unique<LogPage>(),
  };
  // Each page goes where its own index says, so the list cannot drift from the page indexes.
  std::vector<std::unique_ptr<Page>> pages(kPageCount);
  for (std::unique_ptr<Page>& page : made) {
    std::unique_ptr<Page>& slot = pages.at(static_cast<size_t>(page->Position()));
    if (slot) throw std::logic_error("two pages claim one index");
    slot = std::move(page);
  }
  for (const std::unique_ptr<Page>& page : pages)
    if (!page) throw std::logic_error("a page index has no page");
  return pages;
}

}  // namespace vantrel::app
