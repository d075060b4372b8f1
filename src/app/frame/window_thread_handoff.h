// The one way for work on another thread to hand its result to the window thread: the work runs on a worker of
// its own, and the function it returns runs on the window thread when the window next reads its messages.
// Workers only ever post; a worker still running when the window goes is left to finish on its own, and its
// result is dropped.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace vantrel::app {

class WindowThreadHandoff {
 public:
  using Result = std::function<void()>;
  WindowThreadHandoff();
  ~WindowThreadHandoff();
  WindowThreadHandoff(const WindowThreadHandoff&) = delete;
  WindowThreadHandoff& operator=(const WindowThreadHandoff&) = delete;

  // The window that receives kRunHandedOverWork.
  void Attach(HWND window);
  // Starts work on a worker thread. The work must use only what it captured by value.
  void Run(std::function<Result()> work);
  // Runs the results that are ready: the window procedure calls this for kRunHandedOverWork.
  void RunReadyResults();
  // Workers still running.
  int Running() const;
  // Waits up to boundMs for running workers, then drops every result not yet run.
  void Finish(DWORD boundMs);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace vantrel::app
