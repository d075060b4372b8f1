#include "app/features/find_search.h"

#include <exception>
#include <utility>
#include <vector>

#include "system/process/handle_search.h"

namespace vantrel::app {

struct FindSearch::Run {
  std::wstring text;
  Events events;
  std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<const FindSources> sources;  // null until the first step read them
  size_t next = 0;                             // the next of the sources' steps to start
  size_t inFlight = 0;                         // steps started whose results have not come back
  size_t stepsDone = 0;
  std::vector<size_t> stepsLeft;  // per process
  size_t processesDone = 0;       // processes whose every step came back
};

namespace {

// Two steps at a time: one's results reach the window while the other reads, and a slow process holds one only.
constexpr size_t kStepsAtOnce = 2;

// Counts a step's worker from its start to its end, whatever it returns.
struct LiveStep {
  explicit LiveStep(std::shared_ptr<std::atomic<int>> count) : count_(std::move(count)) { ++*count_; }
  ~LiveStep() { --*count_; }
  LiveStep(const LiveStep&) = delete;
  LiveStep& operator=(const LiveStep&) = delete;
  std::shared_ptr<std::atomic<int>> count_;
};

}  // namespace

FindSearch::~FindSearch() {
  if (run_) run_->cancelled->store(true);
}

void FindSearch::Start(const std::wstring& text, Events events) {
  Cancel();
  if (text.empty()) return;
  run_ = std::make_shared<Run>();
  run_->text = text;
  run_->events = std::move(events);
  RunStep(run_);
}

void FindSearch::Cancel() {
  if (!run_) return;
  run_->cancelled->store(true);
  Finish(FindState::Cancelled);
}

void FindSearch::Finish(FindState state) {
  std::shared_ptr<Run> run = std::move(run_);
  run_.reset();
  const size_t total = run->sources ? run->sources->Processes.size() : 0;
  if (run->events.onEnd) run->events.onEnd(state, run->processesDone, total);
}

void FindSearch::RunStep(const std::shared_ptr<Run>& run) {
  HandleListOptions options = options_;
  options.cancelled = [cancelled = run->cancelled] { return cancelled->load(); };
  const std::shared_ptr<const FindSources> sources = run->sources;
  const size_t index = run->next;
  if (sources) {
    ++run->next;
    ++run->inFlight;
  }
  const std::wstring text = run->text;
  // The result finds this object only through run_: a cancelled run (and so a closed window) drops it.
  auto isCurrent = [this, weak = std::weak_ptr<Run>(run)] {
    const std::shared_ptr<Run> r = weak.lock();
    return r && r == run_ && !r->cancelled->load();
  };
  handoff_.Run([this, live = liveSteps_, options, sources, index, text, isCurrent]() -> WindowThreadHandoff::Result {
    LiveStep step(live);
    if (options.cancelled()) return {};
    if (!sources) {
      auto read = std::make_shared<const FindSources>(ReadFindSources());
      return [this, read, isCurrent] {
        if (!isCurrent()) return;
        run_->sources = read;
        run_->stepsLeft.assign(read->Processes.size(), 0);
        for (const FindStep& s : read->Steps) ++run_->stepsLeft[s.Process];
        if (read->Steps.empty()) return Finish(FindState::Done);
        if (run_->events.onProgress) run_->events.onProgress(0, read->Processes.size());
        StartSteps(run_);
      };
    }
    ProcessFindOutcome found;
    try {
      found = FindInStep(*sources, sources->Steps[index], text, options);
    } catch (const std::exception&) {
      // A process that cannot be read adds nothing; the search goes on with the next one.
    }
    const size_t process = sources->Steps[index].Process;
    return [this, results = std::move(found.Results), process, isCurrent]() mutable {
      if (!isCurrent()) return;
      const std::shared_ptr<Run> run = run_;  // a handler may start a new search
      --run->inFlight;
      ++run->stepsDone;
      const bool endsProcess = --run->stepsLeft[process] == 0;
      if (endsProcess) ++run->processesDone;
      if (!results.empty() && run->events.onResults) run->events.onResults(std::move(results));
      if (run != run_) return;
      if (endsProcess && run->events.onProgress)
        run->events.onProgress(run->processesDone, run->sources->Processes.size());
      if (run != run_) return;
      if (run->stepsDone >= run->sources->Steps.size()) return Finish(FindState::Done);
      StartSteps(run);
    };
  });
}

void FindSearch::StartSteps(const std::shared_ptr<Run>& run) {
  while (run->inFlight < kStepsAtOnce && run->next < run->sources->Steps.size()) RunStep(run);
}

}  // namespace vantrel::app
