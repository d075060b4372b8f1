#include "system/wmi/wmi_worker.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace vantrel {

WmiConnection* WmiWorker::Session::Connection() {
  if (!connection_.Connected() && !tried_) {
    tried_ = true;
    connection_.Connect(L"", L"", L"", L"root\\CIMV2");
  }
  return connection_.Connected() ? &connection_ : nullptr;
}

struct WmiWorker::State {
  unsigned idleExitMs = 30000;
  mutable std::mutex mutex;
  std::condition_variable wake;
  std::deque<Job> queue;
  bool threadAlive = false;
  bool busy = false;
  bool stopping = false;
};

namespace {

void RunJobs(std::shared_ptr<WmiWorker::State> state) {
  // The session, with its COM apartment and connection, belongs to this thread from start to end.
  auto session = std::make_unique<WmiWorker::Session>();
  std::unique_lock lock(state->mutex);
  for (;;) {
    const bool woken = state->wake.wait_for(lock, std::chrono::milliseconds(state->idleExitMs),
                                            [&] { return state->stopping || !state->queue.empty(); });
    if (!woken || state->stopping) break;
    WmiWorker::Job job = std::move(state->queue.front());
    state->queue.pop_front();
    state->busy = true;
    lock.unlock();
    try {
      job(*session);
    } catch (...) {
      // the job's own answer tells of the failure; the thread goes on
    }
    // A failed connection is tried again by the next job.
    if (session->Failed()) session = std::make_unique<WmiWorker::Session>();
    lock.lock();
    state->busy = false;
  }
  state->threadAlive = false;
  state->queue.clear();
  lock.unlock();
  session.reset();  // COM is left on this thread
}

}  // namespace

WmiWorker::WmiWorker(unsigned idleExitMs) : state_(std::make_shared<State>()) { state_->idleExitMs = idleExitMs; }

WmiWorker::~WmiWorker() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    state_->queue.clear();
  }
  state_->wake.notify_all();
}

bool WmiWorker::Post(Job job) {
  bool start = false;
  {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(std::move(job));
    start = !state_->threadAlive;
    state_->threadAlive = true;
  }
  if (!start) {
    state_->wake.notify_one();
    return true;
  }
  try {
    std::thread(RunJobs, state_).detach();
    return true;
  } catch (const std::system_error&) {
    std::lock_guard lock(state_->mutex);
    state_->threadAlive = false;
    state_->queue.clear();
    return false;
  }
}

size_t WmiWorker::Pending() const {
  std::lock_guard lock(state_->mutex);
  return state_->queue.size() + (state_->busy ? 1 : 0);
}

}  // namespace vantrel
