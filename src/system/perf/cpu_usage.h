// CpuUsageMeter: the per-processor load, sampled once per interval from the native per-processor times (one
// query per tick into a buffer sized at construction; nothing is allocated per tick), reported through OnInterval.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "core/perf/cpu_load.h"

namespace vantrel {

// The number of logical processors the kernel reports (basic information); 1 when the query fails.
uint32_t NativeProcessorCount();

class CpuUsageMeter {
 public:
  using OnIntervalEvent =
      std::function<void(CpuUsageMeter& sender, const std::vector<int32_t>& values, int32_t avgValue)>;

  CpuUsageMeter();
  ~CpuUsageMeter();
  CpuUsageMeter(const CpuUsageMeter&) = delete;
  CpuUsageMeter& operator=(const CpuUsageMeter&) = delete;

  uint32_t CPUCount() const { return meter_.CPUCount(); }
  // True: a baseline sample first, then a tick every Interval ms on this thread's message loop.
  void SetActive(bool active);
  bool Active() const { return timer_ != 0; }
  void SetInterval(uint32_t ms);
  uint32_t Interval() const { return interval_; }
  OnIntervalEvent OnInterval;

  // One sample and the event (what the timer runs); the page may call it itself instead of using the timer.
  void Tick();
  // The latest loads (index = processor) and their average, without sampling.
  const std::vector<int32_t>& Usages() const { return meter_.Usages(); }
  int32_t Average() const { return meter_.Average(); }
  // The latest load of a processor, 0 outside the range. Reading does not resample, so it never skews the
  // next tick.
  int32_t CPUUsage(uint32_t index) const { return index < Usages().size() ? Usages()[index] : 0; }

 private:
  // One native query into the buffer; false when it failed.
  bool ReadTimes();
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

  CpuLoadMeter meter_;
  std::vector<unsigned char> buffer_;  // count × the native record
  std::vector<ProcessorTimes> times_;  // count
  std::vector<uint32_t> groups_;       // processors per processor group, read once
  uint32_t interval_ = 1000;
  UINT_PTR timer_ = 0;
};

}  // namespace vantrel
