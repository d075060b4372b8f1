#!/usr/bin/env bash
# Which mappings make one process bigger than another: Rss per mapping name of two processes (a pid or a saved
# copy of /proc/<pid>/smaps each), anonymous mappings by size class, differences over 0.2 MB, largest first.
# Usage: bench/smaps_diff.sh PID|FILE PID|FILE
set -euo pipefail
smaps() { if [ -f "$1" ]; then cat "$1"; else cat "/proc/$1/smaps"; fi; }
summary() {
  smaps "$1" | awk '
    /^[0-9a-f]+-[0-9a-f]+ / { name = $6; next }
    /^Size:/ { if (name == "") name = ($2 >= 1024 ? "[anon 1M+]" : "[anon <1M]") }
    /^Rss:/ { r[name] += $2 }
    END { for (n in r) print n "\t" r[n] }' | sort
}
join -t$'\t' -a1 -a2 -e0 -o 0,1.2,2.2 <(summary "$1") <(summary "$2") | awk -F'\t' '
  { d = $2 - $3; a += $2; b += $3; if (d > 200 || d < -200) printf "%7.1f %7.1f %+7.1f  %s\n", $2 / 1024, $3 / 1024, d / 1024, $1 }
  END { printf "%7.1f %7.1f %+7.1f  TOTAL (MB: first, second, difference)\n", a / 1024, b / 1024, (a - b) / 1024 }' |
  sort -k3 -rn
