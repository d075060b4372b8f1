// Times listing the handles of a child that holds 2,000 temporary files open against the handle-table query alone.
// Prints figures; the last line is the runner's marker.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "proc_children.h"
#include "system/process/handle_list.h"

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

}  // namespace

int main() {
  constexpr int kFiles = 2000;
  {
    vantrel::test::TChildren children;
    const double spawnStart = Now();
    const DWORD pid = vantrel::test::StartHandlesChild(children, vantrel::test::TempFolder(), kFiles);
    std::printf("child holding %d files started in %.0f ms (pid %lu)\n", kFiles, Now() - spawnStart,
                static_cast<unsigned long>(pid));
    if (pid) {
      size_t rows = 0;
      const double list = Median(3, [&] { rows = vantrel::ReadHandles(pid).Handles.size(); });
      std::vector<vantrel::THandleTableEntry> table;
      vantrel::THandleTableLayout layout;
      const double query = Median(5, [&] { vantrel::ReadHandleTable(table, layout); });
      vantrel::THandleListOptions noNames;
      noNames.queryFileName = [](HANDLE) { return std::wstring(); };
      const double withoutNames = Median(3, [&] { vantrel::ReadHandles(pid, noNames); });
      double queryMs = 0;  // summed on the one worker of a listing
      vantrel::THandleListOptions timed;
      timed.queryFileName = [&queryMs](HANDLE h) {
        const double start = Now();
        std::wstring name = vantrel::QueryFileName(h);
        queryMs += Now() - start;
        return name;
      };
      const double timedList = Median(1, [&] { vantrel::ReadHandles(pid, timed); });
      std::printf("rows listed: %zu of %zu table entries\n", rows, table.size());
      std::printf("list the handles (median of 3):        %.1f ms\n", list);
      std::printf("  of which without file-name queries:  %.1f ms\n", withoutNames);
      std::printf("  file-name queries on the worker:     %.1f ms of %.1f ms\n", queryMs, timedList);
      std::printf("handle-table query alone (median of 5): %.1f ms\n", query);
      std::printf("ratio list/query: %.1f\n", query > 0 ? list / query : 0.0);
    }
  }
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  std::fflush(stdout);
  return 0;
}
