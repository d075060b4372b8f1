#include "app/frame/refresh_cycle.h"

#include <exception>

#include "app/frame/window_messages.h"
#include "core/shell/activity_log.h"
#include "system/text/locale_text.h"

namespace vantrel::app {

void RefreshCycle::SetAutoRefresh(bool on) {
  autoRefresh_ = on;
  ApplyTimer();
}

void RefreshCycle::SetIntervalMs(UINT ms) {
  intervalMs_ = ms;
  armed_ = false;  // re-armed with the new interval
  ApplyTimer();
}

void RefreshCycle::BeginPause() {
  ++pauses_;
  ApplyTimer();
}

void RefreshCycle::EndPause() {
  if (pauses_ > 0) --pauses_;
  ApplyTimer();
}

void RefreshCycle::ApplyTimer() {
  if (!window_) return;
  if (TimerRunning()) {
    if (!armed_) ::SetTimer(window_, kTimerId, intervalMs_, nullptr);
    armed_ = true;
  } else {
    ::KillTimer(window_, kTimerId);
    armed_ = false;
  }
}

RefreshCycle::ListsInUse RefreshCycle::BeginRefresh(RefreshKind kind) {
  return gate_.TryEnter(kind) ? ListsInUse(*this) : ListsInUse();
}

RefreshCycle::ListsInUse RefreshCycle::HoldLists() {
  gate_.Hold();
  return ListsInUse(*this);
}

void RefreshCycle::LeaveLists() {
  gate_.Leave();
  // Posted, not run here: the last holder may sit deep in a control's handler that still uses its rows.
  if (!gate_.Busy() && gate_.HasDeferred() && window_) ::PostMessageW(window_, kRunDeferredRefresh, 0, 0);
}

void RefreshCycle::Run(const std::vector<RefreshStep>& steps, const std::function<void(const RefreshStep&)>& execute,
                       const std::function<void(const std::wstring&)>& log, bool periodic) {
  if (periodic) ++periodic_;
  for (const RefreshStep& step : steps) {
    try {
      execute(step);
    } catch (const std::exception& e) {
      log(LogLine(RefresherName(step.refresher), ExceptionMessage(e)));
    } catch (...) {
      log(LogLine(RefresherName(step.refresher), L"unknown error"));
    }
  }
  if (periodic) --periodic_;
}

}  // namespace vantrel::app
