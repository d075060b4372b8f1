// The refresh cycle's timer: the automatic-refresh state, the interval, and pauses that the manual refreshes and
// the actions take while they run. Pauses nest, so a refresh started inside another one (a WMI wait pumps
// messages) can never leave the timer off.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

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

  // Runs the steps in order; a step that throws writes one line "RefreshX: message" and the cycle goes on.
  // periodic: the steps come from the timer (lists keep their top row).
  void Run(const std::vector<RefreshStep>& steps, const std::function<void(const RefreshStep&)>& execute,
           const std::function<void(const std::wstring&)>& log, bool periodic);
  bool InPeriodicRefresh() const { return periodic_ > 0; }

 private:
  void BeginPause();
  void EndPause();
  void ApplyTimer();

  HWND window_ = nullptr;
  bool autoRefresh_ = false;
  UINT intervalMs_ = 5000;
  int pauses_ = 0;
  int periodic_ = 0;
  bool armed_ = false;
};

}  // namespace vantrel::app
