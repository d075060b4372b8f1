#!/usr/bin/env bash
# Vantrel against Wine's own task manager with many idle processes, under Wine on this machine.
# For each N: N idle processes, then Wine's taskmgr (process page, high update speed = 1 s), Vantrel (/AUTO,
# process page, interval 1 s) and the bare floor (one SystemProcessInformation query per second), each measured for
# PEER_SECONDS after PEER_SETTLE: CPU of the program's Linux process and of the prefix's wineserver (utime+stime
# from /proc/<pid>/stat) and the program's VmRSS. Then typing latency in the name filter with three hung windows
# and with three slow ones. With the N idle processes still up: the launch-to-visible time of Vantrel (its main
# window) and of taskmgr (its first visible window) and their RSS, and, when asked for, Vantrel's RSS over a long
# run of 1 s refreshes. Prints a markdown table at the end.
#
# Usage: bench/peer_bench.sh
# Environment (defaults in brackets):
#   PEER_N ["100 300 1000"]  numbers of idle processes (none)  PEER_SECONDS [30]  measured seconds per program
#   PEER_SETTLE [10]         seconds before measuring          PEER_TYPING [50]   typing samples (0: no typing)
#   PEER_STARTUP_RUNS [5]    start-up runs per N (0: none)     PEER_COMPARE_EXE   a second Vantrel.exe to start up
#   PEER_LONG_SECONDS [0]    Vantrel's RSS sampled over this long after its CPU measurement (0: not)
#   PEER_LONG_STEP [60]      seconds between the long run's samples
#   PEER_SMAPS               a folder: each program's smaps saved there at the end of its measurement, and
#                            Vantrel's against taskmgr's by bench/smaps_diff.sh
#   PEER_BUILD [build/win64] build tree (the win64 preset)     PEER_NO_BUILD=1    use the tree as it is
# Runs in its own prefix (<build>/peer-prefix) with its own wineserver; the tests' prefix is never touched.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${PEER_BUILD:-$root/build/win64}")
counts=${PEER_N:-100 300 1000}
[ "$counts" = none ] && counts=""
seconds=${PEER_SECONDS:-30}
settle=${PEER_SETTLE:-10}
typing=${PEER_TYPING:-50}
startup_runs=${PEER_STARTUP_RUNS:-5}
long_seconds=${PEER_LONG_SECONDS:-0}
long_step=${PEER_LONG_STEP:-60}
prefix=$build/peer-prefix
hz=$(getconf CLK_TCK)

if [ -z "${PEER_NO_BUILD:-}" ]; then
  (cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target peer_bench_tools) \
    || { echo "peer_bench: build failed"; exit 1; }
fi
tools=$build/bench
vantrel=$build/src/app/Vantrel.exe
for f in "$tools/peer_idle.exe" "$tools/peer_floor.exe" "$tools/peer_probe.exe" "$vantrel"; do
  [ -f "$f" ] || { echo "peer_bench: missing $f"; exit 1; }
done

"$root/scripts/wine-fixture.sh" start "$prefix" || exit 1
source "$root/scripts/wine-env.sh" "$prefix"
cleanup() {
  stop_idle
  "$root/scripts/wine-fixture.sh" stop "$prefix" >/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

winpath() { echo "Z:${1//\//\\}"; }
# Runs a Windows program of the prefix in the background, detached, with no stdio of ours.
start_bg() { setsid wine "$@" </dev/null >/dev/null 2>&1 & disown; }
# The probe's output. The programs it starts inherit its Unix stdio, so it writes to a file, never to a pipe that
# would stay open as long as they run.
probe() {
  timeout 900 wine "$tools/peer_probe.exe" "$@" </dev/null >"$build/peer-probe.out" 2>/dev/null
  tr -d '\r' < "$build/peer-probe.out"
}

# The Linux pids of the processes of this prefix whose Wine process name (comm) matches the pattern.
prefix_pids() {
  local p
  for p in $(pgrep -x "$1"); do
    tr '\0' '\n' 2>/dev/null < "/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done
}
# The first of them, waiting up to 30 s.
linux_pid() {
  local p
  for _ in $(seq 150); do
    p=$(prefix_pids "$1" | head -1)
    [ -n "$p" ] && { echo "$p"; return 0; }
    sleep 0.2
  done
  return 1
}
count_pids() { prefix_pids "$1" | wc -l; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
rss_mb() { awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status" 2>/dev/null; }
end_pid() {  # ends one process we started, by its pid, and waits for it
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
}

stop_idle() {
  timeout 30 wine "$tools/peer_idle.exe" stop </dev/null >/dev/null 2>&1
  for _ in $(seq 300); do [ "$(count_pids "peer_idle\.exe")" = 0 ] && [ "$(count_pids "peer_floor\.exe")" = 0 ] && return 0; sleep 0.2; done
  echo "peer_bench: idle processes still alive"
}

server=$(linux_pid "wineserver(64)?") || { echo "peer_bench: no wineserver for $WINEPREFIX"; exit 1; }

# Wine's task manager: process page, high update speed (its fastest: one refresh a second). Only the leading
# fields of its settings record are written (position, tab, options, speed); it keeps defaults for the rest.
cat > "$build/peer-taskmgr.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\TaskManager]
"Preferences"=hex:00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,01,00,00,00,00,00,00,00,01,00,00,00,01,00,00,00,01,00,00,00,01,00,00,00
REG
timeout 60 wine regedit /S "$(winpath "$build/peer-taskmgr.reg")" </dev/null >/dev/null 2>&1

rows=()
# measure LABEL N PID: settles, then samples the program and the server over the measured seconds.
measure() {
  local label=$1 n=$2 pid=$3 a s t0 b s2 t1 rss
  sleep "$settle"
  a=$(ticks "$pid"); s=$(ticks "$server"); t0=$(date +%s.%N)
  sleep "$seconds"
  b=$(ticks "$pid"); s2=$(ticks "$server"); t1=$(date +%s.%N); rss=$(rss_mb "$pid")
  [ -n "${PEER_SMAPS:-}" ] && mkdir -p "$PEER_SMAPS" && cat "/proc/$pid/smaps" > "$PEER_SMAPS/$label-$n.smaps" 2>/dev/null
  read -r cpu srv < <(awk -v a="$a" -v b="$b" -v s="$s" -v s2="$s2" -v t0="$t0" -v t1="$t1" -v hz="$hz" \
    'BEGIN { d = t1 - t0; printf "%.1f %.1f\n", (b - a) * 100 / hz / d, (s2 - s) * 100 / hz / d }')
  echo "  $label: program ${cpu}% wineserver ${srv}% RSS ${rss} MB"
  rows+=("$n|$label|$cpu|$srv|$rss")
}

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# startup_runs_with N: with the idle processes up, each program started PEER_STARTUP_RUNS times: the time from
# process start to its window being visible (Vantrel: the main window, after its first refresh; taskmgr: its first
# window), and its RSS 5 s later; the medians, and Vantrel's against taskmgr's.
startup_lines=()
startup_runs_with() {
  local n=$1 exe mode name ms pid line tm_ms=""
  [ "$startup_runs" -gt 0 ] || return 0
  echo "  start-up with $n idle processes (process start to window visible; RSS 5 s later)"
  for exe in taskmgr.exe "$vantrel" ${PEER_COMPARE_EXE:+"$PEER_COMPARE_EXE"}; do
    local times=() rsss=()
    mode=launch name=$(basename "$exe")
    [ "$exe" = taskmgr.exe ] && mode=launch-any
    for _ in $(seq "$startup_runs"); do
      if [ "$mode" = launch-any ]; then ms=$(probe launch-any taskmgr.exe | awk '/window_ms/ {print $2}')
      else ms=$(probe launch "$(winpath "$exe")" /NUC | awk '/window_ms/ {print $2}'); fi
      pid=$(linux_pid "${name//./\\.}") || continue
      sleep 5
      times+=("${ms:-0}"); rsss+=("$(rss_mb "$pid")")
      end_pid "$pid"
    done
    [ ${#times[@]} -gt 0 ] || continue
    local med; med=$(median "${times[@]}")
    if [ "$exe" = taskmgr.exe ]; then tm_ms=$med; line="N=$n taskmgr.exe"
    else line="N=$n $(basename "$(dirname "$exe")")/$name ($(du -k "$exe" | cut -f1) KB)"; fi
    line+=": start-up median $med ms [${times[*]}], RSS median $(median "${rsss[@]}") MB"
    [ "$exe" != taskmgr.exe ] && [ -n "$tm_ms" ] && line+=", $(awk -v a="$med" -v b="$tm_ms" 'BEGIN {printf (b > 0 ? "%.2f" : "-"), a / b}')x taskmgr's"
    echo "    $line"
    startup_lines+=("$line")
  done
}

# long_run N PID: Vantrel's RSS every PEER_LONG_STEP seconds over PEER_LONG_SECONDS of 1 s refreshes, and its
# growth from the first sample to the last.
long_lines=()
long_run() {
  local n=$1 pid=$2 first="" rss t=0 samples=()
  [ "$long_seconds" -gt 0 ] || return 0
  echo "  Vantrel RSS over $long_seconds s (a sample every $long_step s)"
  while :; do
    rss=$(rss_mb "$pid"); [ -n "$rss" ] || { echo "    the program ended"; return 0; }
    [ -z "$first" ] && first=$rss
    samples+=("$rss"); echo "    ${t} s: $rss MB"
    [ "$t" -ge "$long_seconds" ] && break
    sleep "$long_step"; t=$((t + long_step))
  done
  line="N=$n Vantrel RSS over $long_seconds s: first $first MB, last $rss MB, growth $(awk -v a="$first" -v b="$rss" 'BEGIN {printf "%+.1f", b - a}') MB, max $(printf '%s\n' "${samples[@]}" | sort -n | tail -1) MB"
  echo "    $line"
  long_lines+=("$line")
}

for n in $counts; do
  echo "== $n idle processes"
  start_bg "$tools/peer_idle.exe" spawn "$n"
  prev=-1 same=0
  while :; do  # until all are up, or their number stood still for 10 s
    c=$(count_pids "peer_idle\.exe")
    [ "$c" -gt "$n" ] && break
    if [ "$c" = "$prev" ]; then same=$((same + 1)); [ $same -ge 20 ] && break; else same=0; fi
    prev=$c; sleep 0.5
  done
  echo "  idle processes: $(( $(count_pids "peer_idle\.exe") - 1 ))"

  start_bg taskmgr.exe
  pid=$(linux_pid "taskmgr\.exe") && { measure taskmgr "$n" "$pid"; end_pid "$pid"; }

  probe launch "$(winpath "$vantrel")" /AUTO /NUC | sed 's/^/  /'
  probe interval 1 | sed 's/^/  /'
  pid=$(linux_pid "Vantrel\.exe") && { measure Vantrel "$n" "$pid"; long_run "$n" "$pid"; end_pid "$pid"; }

  start_bg "$tools/peer_floor.exe"
  pid=$(linux_pid "peer_floor\.exe") && { measure floor "$n" "$pid"; end_pid "$pid"; }
  startup_runs_with "$n"
  stop_idle
done

# Three windows that never answer (the system soon calls them hung) and three that answer only every 3 s (never
# hung to the system, yet slow to every sender).
typing_lines=()
if [ "$typing" -gt 0 ]; then
  for mode in hung slow; do
    echo "== typing with 3 $mode windows"
    for _ in 1 2 3; do start_bg "$tools/peer_idle.exe" "$mode"; done
    probe launch "$(winpath "$vantrel")" /AUTO /NUC | sed 's/^/  /'
    probe interval 1 | sed 's/^/  /'
    sleep 6  # past the 5 s after which the system calls a window hung
    line=$(probe typing "$typing")
    echo "  $line"
    typing_lines+=("$mode: $line")
    pid=$(linux_pid "Vantrel\.exe") && end_pid "$pid"
    stop_idle
  done
fi


[ ${#rows[@]} -gt 0 ] && echo && echo "| N | program | program CPU % | wineserver CPU % | sum % | RSS MB | Vantrel/taskmgr (CPU sum, RSS) |" &&
  echo "|---|---|---|---|---|---|---|"
declare -A tm_sum tm_rss
for row in "${rows[@]}"; do
  IFS='|' read -r n label cpu srv rss <<< "$row"
  sum=$(awk -v a="$cpu" -v b="$srv" 'BEGIN {printf "%.1f", a + b}')
  ratio=""
  [ "$label" = taskmgr ] && { tm_sum[$n]=$sum; tm_rss[$n]=$rss; }
  if [ "$label" = Vantrel ] && [ -n "${tm_sum[$n]:-}" ]; then
    ratio=$(awk -v s="$sum" -v t="${tm_sum[$n]}" -v r="$rss" -v u="${tm_rss[$n]}" \
      'BEGIN {printf "%s, %s", (t > 0 ? sprintf("%.2f", s / t) : "-"), (u > 0 ? sprintf("%.2f", r / u) : "-")}')
  fi
  echo "| $n | $label | $cpu | $srv | $sum | $rss | $ratio |"
done
[ ${#typing_lines[@]} -gt 0 ] && echo
for line in "${typing_lines[@]}"; do echo "Typing with 3 $line"; done
for line in "${startup_lines[@]}"; do echo "Start-up: $line"; done
for line in "${long_lines[@]}"; do echo "Long run: $line"; done
if [ -n "${PEER_SMAPS:-}" ]; then
  for n in $counts; do
    [ -f "$PEER_SMAPS/Vantrel-$n.smaps" ] && [ -f "$PEER_SMAPS/taskmgr-$n.smaps" ] || continue
    echo && echo "Vantrel against taskmgr with $n processes (smaps Rss, MB):"
    "$root/bench/smaps_diff.sh" "$PEER_SMAPS/Vantrel-$n.smaps" "$PEER_SMAPS/taskmgr-$n.smaps"
  done
fi
