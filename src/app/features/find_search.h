// One search for a handle or module name across every process, as bounded steps on workers, two at a time: the
// first reads the handle table and the process list, each next one a process's modules or a slice of its handles
// (the processes with the most handles first). Every step hands its results to the window thread, which starts
// the next step only then; a cancelled search starts no further step, and the steps still running stop between two
// handles. Nothing of it ever waits on the window thread or the other way round.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame/window_thread_handoff.h"
#include "core/handles/find_results.h"
#include "system/process/handle_list.h"

namespace vantrel::app {

class FindSearch {
 public:
  struct Events {
    std::function<void(std::vector<FindResult>)> onResults;                 // one step's matches
    std::function<void(size_t done, size_t total)> onProgress;              // after each process
    std::function<void(FindState state, size_t done, size_t total)> onEnd;  // once, also when cancelled
  };

  explicit FindSearch(WindowThreadHandoff& handoff) : handoff_(handoff) {}
  // Stops a running search without telling anyone: the window that listened is going.
  ~FindSearch();
  FindSearch(const FindSearch&) = delete;
  FindSearch& operator=(const FindSearch&) = delete;

  // Cancels a running search and starts a new one; an empty text starts nothing.
  void Start(const std::wstring& text, Events events);
  // Stops the running search: onEnd(Cancelled) runs at once, nothing after it.
  void Cancel();
  bool Running() const { return run_ != nullptr; }
  // The file-name listing's options of every step (a test makes a query hang through them).
  HandleListOptions& Options() { return options_; }
  // Workers of this search's steps still running (0 soon after an end or a cancel).
  int LiveSteps() const { return liveSteps_ ? liveSteps_->load() : 0; }

 private:
  struct Run;
  // The first step reads the sources; each next one is one of their steps.
  void RunStep(const std::shared_ptr<Run>& run);
  void StartSteps(const std::shared_ptr<Run>& run);
  void Finish(FindState state);

  WindowThreadHandoff& handoff_;
  HandleListOptions options_;
  std::shared_ptr<Run> run_;
  std::shared_ptr<std::atomic<int>> liveSteps_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace vantrel::app
