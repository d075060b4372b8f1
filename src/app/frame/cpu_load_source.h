// The CPU meter, owned by the frame: it ticks on its own one-second timer, whatever page is shown and whether the
// refresh timer runs, and publishes each tick's load on the feed the performance page, the tray and the clock follow.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/feeds/page_feeds.h"
#include "system/perf/cpu_usage.h"

namespace vantrel::app {

class CpuLoadSource {
 public:
  using WriteLog = std::function<void(const std::wstring&)>;

  CpuLoadSource() = default;
  ~CpuLoadSource();
  CpuLoadSource(const CpuLoadSource&) = delete;
  CpuLoadSource& operator=(const CpuLoadSource&) = delete;

  // Creates the meter and starts its timer. A meter that cannot be made is logged, and nothing is published.
  void Start(Feed<CpuLoad>& feed, const WriteLog& log);
  // Stops the timer (the window is going); Tick still samples on demand.
  void Stop();
  // One sample and its publication now, as the timer does it (tests and benchmarks).
  void Tick();
  bool Running() const { return meter_ && meter_->Active(); }

 private:
  void Publish(const std::vector<int32_t>& processors, int32_t average);

  std::unique_ptr<CpuUsageMeter> meter_;
  Feed<CpuLoad>* feed_ = nullptr;
  CpuLoad load_;  // reused every tick
};

}  // namespace vantrel::app
