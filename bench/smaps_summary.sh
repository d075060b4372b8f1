#!/usr/bin/env bash
# Where a process's memory sits: Rss and Anonymous of /proc/<pid>/smaps summed per mapping name (anonymous
# mappings by size class), largest first. Usage: bench/smaps_summary.sh PID [lines]
set -euo pipefail
awk '
  /^[0-9a-f]+-[0-9a-f]+ / { name = $6; next }
  /^Size:/ { if (name == "" || name ~ /^\[anon/) name = $2 >= 16384 ? "[anon >=16M]" : $2 >= 1024 ? "[anon 1-16M]" : "[anon <1M]" }
  /^Rss:/ { rss[name] += $2 }
  /^Anonymous:/ { anon[name] += $2; total += $2 }
  END {
    for (n in rss) if (rss[n] > 0) printf "%8.1f MB rss %8.1f MB anon  %s\n", rss[n] / 1024, anon[n] / 1024, n
    printf "%8s    total anon %.1f MB\n", "", total / 1024 > "/dev/stderr"
  }' "/proc/$1/smaps" | sort -rn | head -"${2:-25}"
