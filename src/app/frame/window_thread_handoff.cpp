#include "app/frame/window_thread_handoff.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "app/frame/window_messages.h"

namespace vantrel::app {

struct WindowThreadHandoff::Shared {
  std::mutex lock;
  std::deque<Result> ready;
  HWND window = nullptr;
  bool closed = false;
  std::atomic<int> running{0};
};

WindowThreadHandoff::WindowThreadHandoff() : shared_(std::make_shared<Shared>()) {}

WindowThreadHandoff::~WindowThreadHandoff() { Finish(0); }

void WindowThreadHandoff::Attach(HWND window) {
  std::lock_guard guard(shared_->lock);
  shared_->window = window;
  shared_->closed = false;
}

void WindowThreadHandoff::Run(std::function<Result()> work) {
  ++shared_->running;
  std::thread([shared = shared_, work = std::move(work)] {
    Result result;
    try {
      result = work();
    } catch (...) {
      // A failing worker hands nothing over.
    }
    {
      std::lock_guard guard(shared->lock);
      if (result && !shared->closed && shared->window) {
        shared->ready.push_back(std::move(result));
        ::PostMessageW(shared->window, kRunHandedOverWork, 0, 0);
      }
    }
    --shared->running;
  }).detach();
}

void WindowThreadHandoff::RunReadyResults() {
  for (;;) {
    Result next;
    {
      std::lock_guard guard(shared_->lock);
      if (shared_->closed || shared_->ready.empty()) return;
      next = std::move(shared_->ready.front());
      shared_->ready.pop_front();
    }
    next();
  }
}

int WindowThreadHandoff::Running() const { return shared_->running.load(); }

void WindowThreadHandoff::Finish(DWORD boundMs) {
  const ULONGLONG start = ::GetTickCount64();
  while (shared_->running.load() > 0 && ::GetTickCount64() - start < boundMs) ::Sleep(10);
  std::deque<Result> dropped;
  {
    std::lock_guard guard(shared_->lock);
    shared_->closed = true;
    dropped.swap(shared_->ready);
  }
}

}  // namespace vantrel::app
