// Times the process refresh, cold and warm, against the native process query alone and a Toolhelp walk alone,
// with many idle children alive. Prints figures; the last line is the runner's marker.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "proc_children.h"
#include "system/os/native_api.h"
#include "system/process/process_snapshot.h"

namespace {

using vantrel::bench::Median;
using vantrel::bench::Now;

size_t NativeQueryAlone() {
  static std::vector<uint8_t> buffer(1 << 20);
  ULONG needed = 0;
  if (const auto query = vantrel::NativeApi().NtQuerySystemInformation) {
    while (query(5, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) == vantrel::kStatusInfoLengthMismatch &&
           buffer.size() < (64u << 20))
      buffer.resize(buffer.size() * 2);
  }
  return needed;
}

size_t ToolhelpWalkAlone() {
  size_t count = 0;
  vantrel::win::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
    ++count;
  return count;
}

// The page's refresh: every row shown, no command line (the details read the focused one's).
size_t PageWalk(vantrel::ProcessSnapshot& snapshot) {
  static vantrel::ProcessRecords rows;
  rows.clear();
  rows.reserve(4096);
  snapshot.Walk({}, [&](const vantrel::ProcessRecord& r) {
    rows.push_back(r);
    return &rows.back();
  });
  return rows.size();
}

}  // namespace

int main() {
  constexpr int kChildren = 300;
  {
    vantrel::test::ChildProcesses children;  // ended on every path out of this block
    const double spawnStart = Now();
    int started = 0;
    for (int i = 0; i < kChildren; ++i) started += children.Start(L"wait", L"bench-" + std::to_wstring(i)) ? 1 : 0;
    ::Sleep(5000);  // the children finish starting: a first refresh among starting processes measures their start
    std::printf("children started: %d of %d in %.0f ms\n", started, kChildren, Now() - spawnStart);

    vantrel::ProcessSnapshot snapshot;
    size_t rows = 0;
    const double cold = Median(1, [&] { rows = PageWalk(snapshot); });
    const double warm = Median(5, [&] { rows = PageWalk(snapshot); });
    vantrel::ProcessSnapshot withLines;
    const double coldLines = Median(1, [&] { withLines.Snapshot(); });
    vantrel::ProcessSnapshot uncached;
    uncached.Options.UseCache = false;
    const double noCache = Median(3, [&] { PageWalk(uncached); });
    const double query = Median(5, [&] { NativeQueryAlone(); });
    size_t walked = 0;
    const double toolhelp = Median(5, [&] { walked = ToolhelpWalkAlone(); });
    std::printf("processes: %zu (Toolhelp walk %zu)\n", rows, walked);
    std::printf("first refresh (cache cold), as the page reads: %.1f ms\n", cold);
    std::printf("first refresh with every command line:        %.1f ms\n", coldLines);
    std::printf("warm refresh (median of 5):                   %.1f ms\n", warm);
    std::printf("refresh without caches (median of 3):         %.1f ms\n", noCache);
    std::printf("native process query alone (median of 5):     %.1f ms\n", query);
    std::printf("Toolhelp walk alone (median of 5):            %.1f ms\n", toolhelp);
    std::printf("ratios: first/warm %.1f, warm/query %.1f\n", warm > 0 ? cold / warm : 0.0,
                query > 0 ? warm / query : 0.0);
    const double endStart = Now();
    children.EndAll();
    std::printf("children ended in %.0f ms\n", Now() - endStart);
  }
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  std::fflush(stdout);
  return 0;
}
