// The cost of one tick of the performance page in the real window: CPU time of the program per tick with the page
// shown (and painted) and hidden behind another page, the tray tile off and on.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "app/frame/main_window.h"

namespace {

using vantrel::bench::CpuMs;

using namespace vantrel;
using namespace vantrel::app;

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

double MsPerTick(MainWindow& main, int ticks) {
  const double start = CpuMs();
  for (int i = 0; i < ticks; ++i) {
    main.CpuMeter().Tick();
    ::UpdateWindow(main.hwnd());
    Pump();
  }
  return (CpuMs() - start) / ticks;
}

}  // namespace

int main() {
  StartupEnvironment env = StartupEnvironment::Default();
  env.trayShellNotify = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
  auto main = std::make_unique<MainWindow>(CommandLineSwitches(std::vector<std::wstring>{L"/perf", L"/nuc"}), env);
  main->refreshExecutor = [](const RefreshStep&) {};
  if (!main->CreateAndStart()) return 1;
  main->ShowAtStart(SW_SHOWNORMAL);
  Pump();
  constexpr int kTicks = 200;
  MsPerTick(*main, 20);  // warm-up
  const double visible = MsPerTick(*main, kTicks);
  main->Tray().SetLoadDisplay(true);
  const double visibleTray = MsPerTick(*main, kTicks);
  main->Tray().SetLoadDisplay(false);
  main->SetActivePage(kPageProcesses);
  const double hidden = MsPerTick(*main, kTicks);
  main->Tray().SetLoadDisplay(true);
  const double hiddenTray = MsPerTick(*main, kTicks);
  std::printf("performance tick, CPU time of the program per tick (%d ticks each):\n", kTicks);
  std::printf("  page shown:              %.2f ms\n", visible);
  std::printf("  page shown, tray tile:   %.2f ms\n", visibleTray);
  std::printf("  page hidden:             %.2f ms\n", hidden);
  std::printf("  page hidden, tray tile:  %.2f ms\n", hiddenTray);
  std::printf("  hidden / shown:          %.2f\n", visible > 0 ? hidden / visible : 0.0);
  main.reset();
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
