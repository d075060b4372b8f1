// An action of a page that changes the system (end processes, control a service, disconnect a session, ...): the
// work runs on a worker, since the system may take long to answer; the report (error boxes) comes back on the window
// thread, and then the list is refreshed. While it runs, the page's controls say so and a second one is not started.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "app/pages/page.h"

namespace vantrel::app {

class ActionRunner {
 public:
  // What the report asks for after it: the refresh command, or nothing (the action changed no list).
  enum class After { Refresh, Nothing };
  // Whether the window shows the busy cursor while it runs.
  enum class Cursor { Unchanged, Busy };

  // runningChanged: the page follows Running() with its buttons (called as an action starts and as it ends).
  explicit ActionRunner(std::function<void()> runningChanged, Cursor cursor = Cursor::Unchanged)
      : runningChanged_(std::move(runningChanged)), cursor_(cursor) {}
  ActionRunner(const ActionRunner&) = delete;
  ActionRunner& operator=(const ActionRunner&) = delete;

  // work() runs on a worker and may use only what it captured by value; report(outcome) runs on the window thread
  // while Running() is still true, so that nothing starts under its boxes, and returns what comes after.
  template <class Work, class Report>
  void Run(PageHost& host, Work work, Report report) {
    using Outcome = std::invoke_result_t<Work&>;
    Begin(host);
    host.Handoff().Run([this, &host, work = std::move(work), report = std::move(report)]() mutable {
      Outcome outcome = work();
      return WindowThreadHandoff::Result(
          [this, &host, report, outcome = std::move(outcome)] { End(host, report(outcome)); });
    });
  }

  bool Running() const { return running_ > 0; }

 private:
  void Begin(PageHost& host);
  void End(PageHost& host, After after);

  std::function<void()> runningChanged_;
  Cursor cursor_;
  int running_ = 0;
};

}  // namespace vantrel::app
