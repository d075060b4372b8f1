// Lays out the performance controls as the page will (usage frames 8 per row, frequency frames 4 per row, a memory
// chart with its indicator) and feeds them made-up values ten times a second, for screenshots: perf_demo [seconds]
// [processors]. The window takes the DPI the system gives it (LogPixels of the prefix).
#include <windows.h>

#include <cmath>
#include <cwchar>
#include <memory>
#include <vector>

#include "controls/cpu_monitors.h"
#include "controls/level_indicator.h"
#include "controls/trend_chart.h"
#include "core/perf/monitor_grid.h"
#include "demo_frame.h"

namespace {

using namespace vantrel;
using namespace vantrel::ui;

struct Demo {
  HWND frame = nullptr;
  Dpi dpi;
  uint32_t cpus = 4, cores = 2;
  std::vector<std::unique_ptr<CpuUsageMonitor>> usage;
  std::vector<std::unique_ptr<CpuFrequencyMonitor>> freq;
  LevelIndicator total, memoryLevel;
  TrendChart memory;
  int t = 0;

  void Create(HINSTANCE inst) {
    frame = vantrel::demo::CreateDemoFrame(inst, L"VantrelPerfDemo", Proc, this);
    dpi = Dpi::ForWindow(frame);
    for (uint32_t i = 0; i < cpus; ++i) {
      usage.push_back(std::make_unique<CpuUsageMonitor>());
      usage.back()->Create(frame, 100 + static_cast<int>(i), RECT{});
    }
    for (uint32_t j = 0; j < cores; ++j) {
      freq.push_back(std::make_unique<CpuFrequencyMonitor>());
      freq.back()->Create(frame, 200 + static_cast<int>(j), RECT{});
    }
    total.Create(frame, 300, RECT{});
    memoryLevel.Create(frame, 301, RECT{});
    memoryLevel.SetForeground(RGB(0, 0xFF, 0xFF));
    memory.Create(frame, 302, RECT{});
    memory.ApplyPageSettings(RGB(0, 0xFF, 0xFF));
    ::SetWindowPos(frame, nullptr, 0, 0, dpi.Scale(900), dpi.Scale(620), SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 0; i < 150; ++i) Tick();
    ::ShowWindow(frame, SW_SHOW);
  }

  void Place(HWND w, int x, int y, int width, int height) { ::MoveWindow(w, x, y, width, height, TRUE); }

  void Layout() {
    RECT rc;
    ::GetClientRect(frame, &rc);
    const int m = dpi.Scale(5), side = dpi.Scale(63), band = (rc.bottom - 3 * m) * 2 / 5;
    Place(total.hwnd(), m, m, dpi.Scale(51), band);
    // Usage frames 8 per row to the right of the total indicator, frequency frames 4 per row below.
    const MonitorGrid ug = MakeMonitorGrid(cpus, kUsageFramesPerRow);
    const int gx = m + side, gw = rc.right - gx - m;
    for (uint32_t i = 0; i < cpus; ++i) {
      const GridRect c = ug.Cell(i, gw, band);
      Place(usage[i]->hwnd(), gx + c.Left, m + c.Top, c.Right - c.Left, c.Bottom - c.Top);
    }
    const MonitorGrid fg = MakeMonitorGrid(cores, kFrequencyFramesPerRow);
    const int fy = 2 * m + band, fh = band / 2;
    for (uint32_t j = 0; j < cores; ++j) {
      const GridRect c = fg.Cell(j, rc.right - 2 * m, fh);
      Place(freq[j]->hwnd(), m + c.Left, fy + c.Top, c.Right - c.Left, c.Bottom - c.Top);
    }
    const int my = fy + fh + m;
    Place(memoryLevel.hwnd(), m, my, dpi.Scale(51), rc.bottom - my - m);
    Place(memory.hwnd(), m + side, my, rc.right - side - 2 * m, rc.bottom - my - m);
  }

  void Tick() {
    ++t;
    int sum = 0;
    for (uint32_t i = 0; i < cpus; ++i) {
      const int v = static_cast<int>(50 + 45 * std::sin(t / (8.0 + 3 * i)) + (t * (i + 3)) % 9);
      usage[i]->AddValues(v);
      sum += v;
    }
    total.SetPosition(sum / static_cast<int>(cpus));
    for (uint32_t j = 0; j < cores; ++j) {
      freq[j]->SetLimits(3400);
      freq[j]->AddValues(static_cast<uint32_t>(2200 + 1100 * std::fabs(std::sin(t / (15.0 + 5 * j)))));
    }
    const int mem = 40 + (t / 10) % 25;
    memory.Add(mem);
    memoryLevel.SetPosition(mem);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = vantrel::demo::DemoOf<Demo>(hwnd, msg, lParam);
    switch (msg) {
      case WM_SIZE:
        if (self && self->memory.hwnd()) self->Layout();
        return 0;
      case WM_TIMER:
        if (wParam == 1) ::DestroyWindow(hwnd);
        if (wParam == 2 && self) self->Tick();
        return 0;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR cmd, int) {
  wchar_t* rest = cmd;
  const long seconds = cmd && *cmd ? std::wcstol(cmd, &rest, 10) : 10;
  const long cpus = rest && *rest ? std::wcstol(rest, nullptr, 10) : 4;
  Demo demo;
  demo.cpus = static_cast<uint32_t>(cpus > 0 ? cpus : 4);
  demo.cores = std::max<uint32_t>(demo.cpus / 2, 1);
  demo.Create(inst);
  ::SetTimer(demo.frame, 1, static_cast<UINT>(seconds > 0 ? seconds : 10) * 1000, nullptr);
  ::SetTimer(demo.frame, 2, 100, nullptr);
  vantrel::demo::RunMessageLoop();
  return 0;
}
