#include "app/pages/latest_read.h"

#include <utility>

namespace vantrel::app {

void LatestRead::Request(WindowThreadHandoff& handoff, Work work) {
  if (running_) {
    waiting_ = std::move(work);
    return;
  }
  Start(handoff, std::move(work));
}

void LatestRead::Start(WindowThreadHandoff& handoff, Work work) {
  running_ = true;
  std::weak_ptr<LatestRead*> self = self_;
  handoff.Run([work = std::move(work), self, &handoff]() -> WindowThreadHandoff::Result {
    std::function<void()> apply;
    try {
      apply = work();
    } catch (...) {
      apply = nullptr;  // the read failed; the window still learns that it ended
    }
    return [apply = std::move(apply), self, &handoff] {
      const auto owner = self.lock();
      if (owner && *owner) (*owner)->Finished(handoff, apply);
    };
  });
}

void LatestRead::Finished(WindowThreadHandoff& handoff, const std::function<void()>& apply) {
  running_ = false;
  if (waiting_) {
    Start(handoff, std::exchange(waiting_, nullptr));  // this result is already stale
    return;
  }
  if (apply) apply();
}

}  // namespace vantrel::app
