// Times a full process refresh against the bare floor (one SystemProcessInformation query plus one Toolhelp walk)
// with many idle children alive. Prints figures; the last line is the runner's marker.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "proc_children.h"
#include "system/os/native_api.h"
#include "system/process/process_snapshot.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

template <typename Fn>
double Median(int runs, Fn fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    fn();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

size_t BareFloor() {
  std::vector<uint8_t> buffer(1 << 20);
  ULONG needed = 0;
  if (const auto query = vantrel::NativeApi().NtQuerySystemInformation) {
    while (query(5, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) == vantrel::kStatusInfoLengthMismatch &&
           buffer.size() < (64u << 20))
      buffer.resize(buffer.size() * 2);
  }
  size_t count = 0;
  vantrel::win::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
    ++count;
  return count;
}

}  // namespace

int main() {
  constexpr int kChildren = 300;
  {
    vantrel::test::TChildren children;  // ended on every path out of this block
    const double spawnStart = Now();
    int started = 0;
    for (int i = 0; i < kChildren; ++i) started += children.Start(L"wait", L"bench-" + std::to_wstring(i)) ? 1 : 0;
    ::Sleep(500);
    std::printf("children started: %d of %d in %.0f ms\n", started, kChildren, Now() - spawnStart);

    vantrel::TProcessSnapshot snapshot;
    size_t rows = 0;
    const double cold = Median(1, [&] { rows = snapshot.Snapshot().size(); });
    const double full = Median(5, [&] { rows = snapshot.Snapshot().size(); });
    size_t floorRows = 0;
    const double floor = Median(5, [&] { floorRows = BareFloor(); });
    vantrel::TProcessSnapshot uncached;
    uncached.Options.UseCache = false;
    const double noCache = Median(3, [&] { uncached.Snapshot(); });
    std::printf("processes: %zu (floor walk %zu)\n", rows, floorRows);
    std::printf("first refresh (cache cold): %.1f ms\n", cold);
    std::printf("full refresh (median of 5): %.1f ms\n", full);
    std::printf("full refresh without cache: %.1f ms\n", noCache);
    std::printf("bare floor (median of 5):   %.1f ms\n", floor);
    std::printf("ratio full/floor: %.2f\n", floor > 0 ? full / floor : 0.0);
    const double endStart = Now();
    children.EndAll();
    std::printf("children ended in %.0f ms\n", Now() - endStart);
  }
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  std::fflush(stdout);
  return 0;
}
