#include "system/process/responsiveness_probe.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace vantrel {

struct ResponsivenessProbe::State {
  struct Entry {
    uint64_t window = 0;
    bool open = false;      // a question is queued or being asked
    ULONGLONG askedAt = 0;  // tick of the open question
    bool answered = false;
    bool responding = true;
    bool askedSinceForget = true;
  };

  UINT timeoutMs = kRespondTimeoutMs;
  int maxWorkers = 4;
  mutable std::mutex mutex;
  std::condition_variable wake;
  std::deque<uint32_t> queue;
  std::unordered_map<uint32_t, Entry> entries;
  int workers = 0;
  int idle = 0;
  bool stopping = false;
};

namespace {

using State = ResponsivenessProbe::State;

// Answers questions until the probe goes. Owns a share of the state, so it never outlives what it writes.
void AnswerQuestions(std::shared_ptr<State> state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    ++state->idle;
    state->wake.wait(lock, [&] { return state->stopping || !state->queue.empty(); });
    --state->idle;
    if (state->stopping) break;
    const uint32_t pid = state->queue.front();
    state->queue.pop_front();
    const auto it = state->entries.find(pid);
    if (it == state->entries.end()) continue;
    const uint64_t window = it->second.window;
    const UINT timeout = state->timeoutMs;
    lock.unlock();
    DWORD_PTR result = 0;
    const bool answered = ::SendMessageTimeoutW(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), WM_NULL, 0, 0,
                                                SMTO_ABORTIFHUNG, timeout, &result) != 0;
    lock.lock();
    const auto now = state->entries.find(pid);
    if (now != state->entries.end() && now->second.open) {
      now->second.open = false;
      now->second.answered = true;
      now->second.responding = answered;
    }
  }
  --state->workers;
}

}  // namespace

ResponsivenessProbe::ResponsivenessProbe(UINT timeoutMs, int maxWorkers) : state_(std::make_shared<State>()) {
  state_->timeoutMs = timeoutMs;
  state_->maxWorkers = maxWorkers < 1 ? 1 : maxWorkers;
}

ResponsivenessProbe::~ResponsivenessProbe() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    state_->queue.clear();
  }
  state_->wake.notify_all();
}

bool ResponsivenessProbe::IsResponding(uint32_t pid, uint64_t window) const {
  if (window == 0) return true;
  std::lock_guard lock(state_->mutex);
  const auto it = state_->entries.find(pid);
  if (it == state_->entries.end()) return true;
  const State::Entry& e = it->second;
  if (e.open && ::GetTickCount64() - e.askedAt >= state_->timeoutMs) return false;
  return !e.answered || e.responding;
}

void ResponsivenessProbe::Ask(uint32_t pid, uint64_t window) {
  if (window == 0) return;
  bool startWorker = false;
  {
    std::lock_guard lock(state_->mutex);
    State::Entry& e = state_->entries[pid];
    e.askedSinceForget = true;
    e.window = window;  // a new candidate is asked next; the process's last answer stands meanwhile
    if (e.open) return;
    e.open = true;
    e.askedAt = ::GetTickCount64();
    state_->queue.push_back(pid);
    if (state_->idle < static_cast<int>(state_->queue.size()) && state_->workers < state_->maxWorkers) {
      ++state_->workers;
      startWorker = true;
    }
  }
  if (startWorker) {
    try {
      std::thread(AnswerQuestions, state_).detach();
    } catch (const std::system_error&) {
      std::lock_guard lock(state_->mutex);
      if (--state_->workers == 0) {  // nobody would ever answer: close the questions unanswered
        for (const uint32_t queued : state_->queue) state_->entries[queued].open = false;
        state_->queue.clear();
      }
    }
  } else {
    state_->wake.notify_one();
  }
}

void ResponsivenessProbe::ForgetUnasked() {
  std::lock_guard lock(state_->mutex);
  for (auto it = state_->entries.begin(); it != state_->entries.end();) {
    if (!it->second.askedSinceForget && !it->second.open) {
      it = state_->entries.erase(it);
    } else {
      it->second.askedSinceForget = false;
      ++it;
    }
  }
}

bool ResponsivenessProbe::QuestionOpen(uint32_t pid) const {
  std::lock_guard lock(state_->mutex);
  const auto it = state_->entries.find(pid);
  return it != state_->entries.end() && it->second.open;
}

int ResponsivenessProbe::Workers() const {
  std::lock_guard lock(state_->mutex);
  return state_->workers;
}

}  // namespace vantrel
