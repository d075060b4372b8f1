// The refresh cycle's timer: the automatic-refresh state, the interval, and pauses that the manual refreshes and
// the actions take while they run; and the gate that keeps refreshes from nesting (a WMI wait pumps messages, so a
// tick or a refresh command can arrive while a refresh still walks its rows).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/shell/refresh_gate.h"
#include "core/shell/refresh_plan.h"

namespace vantrel::app {

class RefreshCycle {
 public:
  static constexpr UINT_PTR kTimerId = 1;

  // The window whose WM_TIMER carries kTimerId.
  void Attach(HWND window) { window_ = window; }

  void SetAutoRefresh(bool on);
  bool AutoRefresh() const { return autoRefresh_; }
  void SetIntervalMs(UINT ms);
  UINT IntervalMs() const { return intervalMs_; }
  // The timer is armed: automatic refresh on and no pause held.
  bool TimerRunning() const { return autoRefresh_ && pauses_ == 0; }

  class Pause {
   public:
    explicit Pause(RefreshCycle& cycle) : cycle_(&cycle) { cycle_->BeginPause(); }
    ~Pause() {
      if (cycle_) cycle_->EndPause();
    }
    Pause(Pause&& other) noexcept : cycle_(other.cycle_) { other.cycle_ = nullptr; }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;
    Pause& operator=(Pause&&) = delete;

   private:
    RefreshCycle* cycle_;
  };
  // The timer stays off until the last pause taken ends.
  [[nodiscard]] Pause PauseTimer() { return Pause(*this); }

  // The lists are in use while it lives: by a refresh, or by code that holds a row across a wait that pumps
  // messages. When the last one ends and a refresh was asked for meanwhile, kRunDeferredRefresh is posted.
  class ListsInUse {
   public:
    ListsInUse() = default;
    ~ListsInUse() {
      if (cycle_) cycle_->LeaveLists();
    }
    ListsInUse(ListsInUse&& other) noexcept : cycle_(other.cycle_) { other.cycle_ = nullptr; }
    ListsInUse(const ListsInUse&) = delete;
    ListsInUse& operator=(const ListsInUse&) = delete;
    ListsInUse& operator=(ListsInUse&&) = delete;
    explicit operator bool() const { return cycle_ != nullptr; }

   private:
    friend class RefreshCycle;
    explicit ListsInUse(RefreshCycle& cycle) : cycle_(&cycle) {}
    RefreshCycle* cycle_ = nullptr;
  };
  // Empty when another refresh or holder has the lists: a periodic refresh is then dropped, an explicit one runs
  // once afterwards.
  [[nodiscard]] ListsInUse BeginRefresh(RefreshKind kind);
  [[nodiscard]] ListsInUse HoldLists();
  bool ListsBusy() const { return gate_.Busy(); }
  // The refresh kept for later, once the lists are free (the window runs it for kRunDeferredRefresh).
  std::optional<RefreshKind> TakeDeferredRefresh() { return gate_.TakeDeferred(); }

  // Runs the steps in order; a step that throws writes one line "RefreshX: message" and the cycle goes on.
  // periodic: the steps come from the timer (lists keep their top row).
  void Run(const std::vector<RefreshStep>& steps, const std::function<void(const RefreshStep&)>& execute,
           const std::function<void(const std::wstring&)>& log, bool periodic);
  bool InPeriodicRefresh() const { return periodic_ > 0; }

 private:
  void BeginPause();
  void EndPause();
  void ApplyTimer();
  void LeaveLists();

  HWND window_ = nullptr;
  bool autoRefresh_ = false;
  UINT intervalMs_ = 5000;
  int pauses_ = 0;
  int periodic_ = 0;
  bool armed_ = false;
  RefreshGate gate_;
};

}  // namespace vantrel::app
