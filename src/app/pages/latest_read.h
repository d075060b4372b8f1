// A slow read for the window, one at a time: the read runs on a worker through the hand-off, and a request made
// while one runs replaces any request still waiting. Quick focus changes thus start at most one more read, and
// only the newest request's result reaches the window.
#pragma once

#include <functional>
#include <memory>

#include "app/frame/window_thread_handoff.h"

namespace vantrel::app {

class LatestRead {
 public:
  // Runs on the worker; returns what to do with its result on the window thread (may be empty).
  using Work = std::function<std::function<void()>()>;

  LatestRead() : self_(std::make_shared<LatestRead*>(this)) {}
  ~LatestRead() { *self_ = nullptr; }
  LatestRead(const LatestRead&) = delete;
  LatestRead& operator=(const LatestRead&) = delete;

  void Request(WindowThreadHandoff& handoff, Work work);
  // A read is running or waiting.
  bool Busy() const { return running_; }

 private:
  void Start(WindowThreadHandoff& handoff, Work work);
  void Finished(WindowThreadHandoff& handoff, const std::function<void()>& apply);

  bool running_ = false;
  Work waiting_;
  std::shared_ptr<LatestRead*> self_;  // results find this object only while it lives
};

}  // namespace vantrel::app
