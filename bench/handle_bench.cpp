// Times listing the handles of a child that holds 2,000 temporary files open against the handle-table query alone.
// Prints figures in ms and as multiples of the table query; the last line is the runner's marker.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "bench_support.h"
#include "proc_children.h"
#include "system/process/handle_list.h"

using vantrel::bench::Median;
using vantrel::bench::Now;

int main() {
  constexpr int kFiles = 2000;
  {
    vantrel::test::ChildProcesses children;
    const double spawnStart = Now();
    const DWORD pid = vantrel::test::StartHandlesChild(children, vantrel::test::TempFolder(), kFiles);
    std::printf("child holding %d files started in %.0f ms (pid %lu)\n", kFiles, Now() - spawnStart,
                static_cast<unsigned long>(pid));
    if (pid) {
      size_t rows = 0;
      const double list = Median(3, [&] { rows = vantrel::ReadHandles(pid).Handles.size(); });
      std::vector<vantrel::HandleTableEntry> table;
      vantrel::HandleTableLayout layout;
      const double query = Median(5, [&] { vantrel::ReadHandleTable(table, layout); });
      vantrel::HandleListOptions noNames;
      noNames.queryFileName = [](HANDLE) { return std::wstring(); };
      const double withoutNames = Median(3, [&] { vantrel::ReadHandles(pid, noNames); });
      // Summed over the name workers, which run at once: a lock, as they add from their own threads.
      double queryMs = 0;
      std::mutex queryLock;
      vantrel::HandleListOptions timed;
      timed.queryFileName = [&](HANDLE h) {
        const double start = Now();
        std::wstring name = vantrel::QueryFileName(h);
        const double took = Now() - start;
        std::lock_guard guard(queryLock);
        queryMs += took;
        return name;
      };
      const double timedList = Median(1, [&] { vantrel::ReadHandles(pid, timed); });
      // The listing with other numbers of name workers (one is how the names were read before the pool).
      std::vector<std::pair<size_t, double>> byWorkers;
      for (const size_t workers : {size_t{1}, size_t{3}}) {
        vantrel::HandleListOptions pool;
        pool.fileNameWorkers = workers;
        byWorkers.emplace_back(workers, Median(3, [&] { vantrel::ReadHandles(pid, pool); }));
      }
      const auto ratio = [query](double ms) { return query > 0 ? ms / query : 0.0; };
      std::printf("rows listed: %zu of %zu table entries, %zu name workers per listing\n", rows, table.size(),
                  vantrel::kFileNameWorkers);
      std::printf("%-48s %9s %12s\n", "", "ms", "x query");
      std::printf("%-48s %9.1f %12.0f\n", "handle-table query alone (median of 5)", query, 1.0);
      std::printf("%-48s %9.1f %12.0f\n", "list the handles (median of 3)", list, ratio(list));
      for (const auto& [workers, ms] : byWorkers) {
        char label[64];
        std::snprintf(label, sizeof label, "  the same with %zu name worker%s (median of 3)", workers,
                      workers == 1 ? "" : "s");
        std::printf("%-48s %9.1f %12.0f\n", label, ms, ratio(ms));
      }
      std::printf("%-48s %9.1f %12.0f\n", "  the same without file-name queries (median of 3)", withoutNames,
                  ratio(withoutNames));
      std::printf("%-48s %9.1f %12.0f\n", "  file-name queries summed over the workers", queryMs, ratio(queryMs));
      std::printf("%-48s %9.1f %12.0f\n", "  in a listing of", timedList, ratio(timedList));
      std::printf("per listed handle: %.1f us\n", rows > 0 ? list * 1000.0 / static_cast<double>(rows) : 0.0);
      std::printf("ratio list/query: %.1f\n", ratio(list));
    }
  }
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  std::fflush(stdout);
  return 0;
}
