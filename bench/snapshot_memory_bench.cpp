// Whether the process snapshot alone keeps memory from one refresh to the next: 200 snapshots in a row, the
// working set every 20. Run it beside many processes (bench/peer_bench.sh's peer_idle spawn N).
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "system/process/process_snapshot.h"

int main() {
  vantrel::ProcessSnapshot snapshot;
  size_t rows = 0;
  for (int i = 0; i <= 200; ++i) {
    if (i % 20 == 0) {
      PROCESS_MEMORY_COUNTERS_EX counters{};
      counters.cb = sizeof counters;
      ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters);
      // Wine reports no private bytes; its working set is the Linux RSS.
      std::printf("snapshots %3d rows %zu working set %.1f MB\n", i, rows,
                  static_cast<double>(counters.WorkingSetSize) / 1048576.0);
      std::fflush(stdout);
    }
    rows = snapshot.Snapshot().size();
  }
  return 0;
}
