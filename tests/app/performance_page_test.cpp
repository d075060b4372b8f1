// The performance page in the real window: frames per processor, the busy core against an idle one, memory and
// uptime against the host's own figures, and a thousand ticks that leave the program's resources flat.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <tuple>
#include <string>
#include <vector>

#include "app/frame/main_window.h"
#include "app/pages/performance_page.h"
#include "app/pages/page_of.h"
#include "../controls/gdi_count.h"

namespace vantrel::app {
namespace {

struct PerfWindow {
  std::unique_ptr<MainWindow> main;
  explicit PerfWindow(std::vector<std::wstring> words = {L"/perf"}) {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    env.trayShellNotify = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
    main = std::make_unique<MainWindow>(CommandLineSwitches(words), env);
    main->refreshExecutor = [](const RefreshStep&) {};
  }
  PerformancePage& page() { return PageOf<PerformancePage>(*main, kPagePerformance); }
  // One tick of the frame's CPU meter, which the page follows.
  void Tick() { main->CpuMeter().Tick(); }
  void Pump(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (::GetTickCount64() < end) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
  }
};

std::wstring Text(HWND hwnd) {
  wchar_t buf[256] = {};
  ::GetWindowTextW(hwnd, buf, 256);
  return buf;
}

// A value of the host's /proc, read through drive Z:.
double ProcValue(const char* file, const std::string& key) {
  std::ifstream in(std::string("Z:\\proc\\") + file);
  std::string line;
  while (std::getline(in, line)) {
    if (!key.empty() && line.rfind(key, 0) != 0) continue;
    std::istringstream fields(key.empty() ? line : line.substr(key.size()));
    double value = 0;
    fields >> value;
    return value;
  }
  return -1;
}

int32_t Latest(ui::TrendChart& chart) { return chart.Model().Get(chart.Model().Divisions() - 1); }

TEST(PerformancePage, OneFramePerProcessorInRowsOfEightWithoutOverlap) {
  PerfWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  SYSTEM_INFO si{};
  ::GetSystemInfo(&si);
  PerformancePage& page = w.page();
  ASSERT_EQ(page.UsageFrameCount(), si.dwNumberOfProcessors);
  RECT area;
  ::GetWindowRect(page.UsageArea(), &area);
  std::vector<RECT> cells;
  for (size_t i = 0; i < page.UsageFrameCount(); ++i) {
    RECT rc;
    ::GetWindowRect(page.UsageFrame(i).hwnd(), &rc);
    EXPECT_GT(rc.right - rc.left, 0);
    EXPECT_GE(rc.left, area.left);
    EXPECT_LE(rc.right, area.right);
    for (const RECT& other : cells) {
      RECT overlap;
      EXPECT_FALSE(::IntersectRect(&overlap, &rc, &other)) << "frame " << i;
    }
    cells.push_back(rc);
  }
  // The CPU identification arrives from its worker and builds the frequency frames.
  for (int i = 0; i < 100 && !page.CpuIdentified(); ++i) w.Pump(50);
  ASSERT_TRUE(page.CpuIdentified());
  EXPECT_GT(page.FrequencyFrameCount(), 0u);
  EXPECT_EQ(Text(page.CpuLabel()).rfind(L"CPU: ", 0), 0u) << "the processor line";
}

TEST(PerformancePage, MemoryAndUptimeMatchTheHost) {
  PerfWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.Tick();
  const double memKb = ProcValue("meminfo", "MemTotal:");
  ASSERT_GT(memKb, 0) << "/proc/meminfo through Z:";
  const auto totalMb = static_cast<unsigned long long>(memKb) * 1024 >> 20;
  EXPECT_EQ(Text(w.page().TotalPhysicalLabel()), L"总物理内存: " + std::to_wstring(totalMb) + L" MB");
  const int32_t load = Latest(w.page().MemoryTrend());
  EXPECT_GT(load, 0);
  EXPECT_EQ(Text(w.page().MemoryIndicator().Label()), std::to_wstring(load) + L" %");

  // "运行时间: yy.mm.dd hh:mm:ss" against /proc/uptime.
  const std::wstring uptime = Text(w.page().UptimeLabel());
  const double hostSeconds = ProcValue("uptime", "");
  int yy = 0, mm = 0, dd = 0, h = 0, m = 0, s = 0;
  ASSERT_EQ(std::swscanf(uptime.c_str(), L"运行时间: %d.%d.%d %d:%d:%d", &yy, &mm, &dd, &h, &m, &s), 6) << uptime;
  const double shown = ((dd * 24.0 + h) * 60 + m) * 60 + s;
  EXPECT_NEAR(shown, hostSeconds, 5.0) << "days beyond a month are not expected on a test machine";
}

TEST(PerformancePage, ABusyCoreReadsHighAndAnIdleOneLow) {
  SYSTEM_INFO si{};
  ::GetSystemInfo(&si);
  if (si.dwNumberOfProcessors < 2) GTEST_SKIP() << "one processor";
  PerfWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  PerformancePage& page = w.page();
  // The CPU identification pins the whole process to one processor while it measures: let it finish first.
  for (int i = 0; i < 200 && !page.CpuIdentified(); ++i) w.Pump(50);
  ASSERT_TRUE(page.CpuIdentified());
  // This test's own thread keeps processor 1 busy.
  std::atomic<bool> stop{false};
  std::atomic<int> pinned{0};  // 1 pinned, -1 refused
  std::thread busy([&stop, &pinned] {
    pinned = ::SetThreadAffinityMask(::GetCurrentThread(), 2) != 0 ? 1 : -1;
    while (!stop) {
    }
  });
  while (pinned == 0) ::Sleep(10);
  if (pinned < 0) {
    stop = true;
    busy.join();
    FAIL() << "the busy thread could not be pinned to processor 1";
  }
  w.Tick();  // baseline
  ::Sleep(1500);
  w.Tick();
  stop = true;
  busy.join();
  EXPECT_GT(Latest(page.UsageFrame(1).Trend()), 80) << "the busy processor";
  // An idle processor reads low only when the host's other work left one idle.
  std::printf("processor 0 read %d while processor 1 was busy\n", Latest(page.UsageFrame(0).Trend()));
  EXPECT_EQ(Text(page.CpuIndicator().Label()), std::to_wstring(page.CpuIndicator().Indicator().Position()) + L" %");
}

TEST(PerformancePage, AThousandTicksWithTheTrayTileLeaveResourcesFlat) {
  PerfWindow w({L"/perf", L"/cpuicon"});
  ASSERT_TRUE(w.main->CreateAndStart());
  w.main->ShowAtStart(SW_SHOWNORMAL);
  for (int i = 0; i < 50; ++i) w.Tick();  // every lazily made object exists now
  w.Pump(100);
  // Wine answers 0 for the handle count, the USER objects and the private bytes: the handle table is counted
  // through the native query, GDI objects through the handle table, and private memory is the Linux process's own
  // data size.
  auto measure = [] {
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    ULONG handles = 0;
    if (query) query(::GetCurrentProcess(), 20 /* ProcessHandleCount */, &handles, sizeof(handles), nullptr);
    const long long dataKb = static_cast<long long>(ProcValue("self\\status", "VmData:"));
    return std::tuple{static_cast<long>(handles), testing::GdiObjectCount(),
                      static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)), dataKb * 1024};
  };
  const auto [handles0, gdi0, user0, private0] = measure();
  for (int i = 0; i < 1000; ++i) {
    w.Tick();
    if (i % 50 == 0) w.Pump(1);
  }
  w.Pump(100);
  const auto [handles1, gdi1, user1, private1] = measure();
  std::printf("1,000 ticks: handles %ld -> %ld, GDI %ld -> %ld, USER %ld -> %ld, private bytes %lld -> %lld\n",
              handles0, handles1, gdi0, gdi1, user0, user1, private0, private1);
  EXPECT_LE(handles1, handles0 + 3);
  EXPECT_LE(gdi1, gdi0 + 3);
  EXPECT_LE(user1, user0 + 3);
  EXPECT_GT(private0, 0) << "the process's data size was read";
  EXPECT_LE(private1, private0 + (2 << 20)) << "private bytes grow by less than 2 MiB";
}

}  // namespace
}  // namespace vantrel::app
