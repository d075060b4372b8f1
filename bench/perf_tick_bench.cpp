// The cost of one performance tick without the page itself: the processor sample, the frequency records, the
// memory status and uptime, pushed into the monitor frames (one per processor and core) and a memory chart, with
// the frames visible (painted each tick) and hidden. Prints the program's CPU time per tick.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "controls/cpu_monitors.h"
#include "controls/trend_chart.h"
#include "core/perf/cpu_frequency.h"
#include "system/perf/cpu_usage.h"
#include "system/perf/power_info.h"
#include "system/perf/system_status.h"

namespace {

using vantrel::bench::CpuMs;

using namespace vantrel;
using namespace vantrel::ui;

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

}  // namespace

int main() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VantrelPerfBench";
  ::RegisterClassW(&wc);
  HWND host = ::CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1000,
                                700, nullptr, nullptr, wc.hInstance, nullptr);
  CpuUsageMeter usage;
  LoadPowrProf();
  const uint32_t n = usage.CPUCount();
  std::vector<std::unique_ptr<CpuUsageMonitor>> frames;
  std::vector<std::unique_ptr<CpuFrequencyMonitor>> cores;
  for (uint32_t i = 0; i < n; ++i) {
    frames.push_back(std::make_unique<CpuUsageMonitor>());
    frames.back()->Create(host, 10 + static_cast<int>(i), RECT{static_cast<LONG>(i * 120), 0,
                                                               static_cast<LONG>(i * 120 + 115), 200});
    cores.push_back(std::make_unique<CpuFrequencyMonitor>());
    cores.back()->Create(host, 100 + static_cast<int>(i), RECT{static_cast<LONG>(i * 240), 210,
                                                               static_cast<LONG>(i * 240 + 235), 400});
  }
  TrendChart memory;
  memory.Create(host, 200, RECT{0, 410, 980, 650});
  memory.ApplyPageSettings(RGB(0, 0xFF, 0xFF));
  std::vector<ProcessorPowerInformation> records;
  usage.OnInterval = [&](CpuUsageMeter&, const std::vector<int32_t>& values, int32_t) {
    for (size_t i = 0; i < values.size() && i < frames.size(); ++i) frames[i]->AddValues(values[i]);
    ReadProcessorFrequencies(records);
    for (size_t j = 0; j < cores.size(); ++j) {
      const FrequencyInput in = FrequencyInputFor(static_cast<uint32_t>(j), records, 2600);
      cores[j]->SetLimits(in.LimitMhz);
      cores[j]->AddValues(in.CurrentMhz);
    }
    MemoryStatus mem;
    if (ReadMemoryStatus(mem)) memory.Add(static_cast<int32_t>(mem.MemoryLoad));
    (void)SystemUptimeMs();
  };
  usage.SetActive(true);
  usage.SetActive(false);  // the bench drives the ticks itself
  constexpr int kTicks = 1000;
  for (bool visible : {true, false}) {
    ::ShowWindow(host, visible ? SW_SHOW : SW_HIDE);
    Pump();
    const double start = CpuMs();
    for (int t = 0; t < kTicks; ++t) {
      usage.Tick();
      ::UpdateWindow(host);
      ::RedrawWindow(host, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      Pump();
    }
    std::printf("perf tick (%u processors, frames %s): %.3f ms CPU per tick over %d ticks\n", n,
                visible ? "visible" : "hidden", (CpuMs() - start) / kTicks, kTicks);
  }
  ::DestroyWindow(host);
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
