#!/usr/bin/env bash
# How the real Vantrel.exe answers another process, under Wine: bench/responsiveness_probe.exe sends WM_NULL to
# the main window every 10 ms and keeps the slowest answer while it drives the program from outside:
#   start-up (launch to visible main window) with a 100,000-character HKCU Run value against without it;
#   F5 on each page in turn with that value present;
#   ending a process without windows and one with a window (name filter, the row, the kill button, Yes), automatic
#   refresh on at 1 s, with the times until each has ended and is gone from the list;
#   a services-page refresh with 200 services the probe installs.
# Prints a table at the end. Figures only: it never passes or fails on time. Everything the probe installs (the Run
# value, the services, the copied child executables) is removed, also when a scenario fails or the run is stopped.
#
# Usage: bench/responsiveness_bench.sh [scenario...]   scenarios: startup refresh kill services (default: all)
# Environment (defaults in brackets):
#   RESP_STARTUP_RUNS [3]      launches with and without the value (the medians are compared)
#   RESP_BUILD [build/win64]   build tree (the win64 preset)     RESP_NO_BUILD=1  use the tree as it is
# Runs in its own prefix (<build>/resp-prefix) with its own wineserver; the tests' prefix is never touched.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${RESP_BUILD:-$root/build/win64}")
runs=${RESP_STARTUP_RUNS:-3}
scenarios=${*:-startup refresh kill services}
prefix=$build/resp-prefix

if [ -z "${RESP_NO_BUILD:-}" ]; then
  (cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target responsiveness_bench_tools) \
    || { echo "responsiveness_bench: build failed"; exit 1; }
fi
probe_exe=$build/bench/responsiveness_probe.exe
vantrel=$build/src/app/Vantrel.exe
for f in "$probe_exe" "$build/bench/proc_child.exe" "$build/bench/svc_test_service.exe" "$vantrel"; do
  [ -f "$f" ] || { echo "responsiveness_bench: missing $f"; exit 1; }
done

"$root/scripts/wine-fixture.sh" start "$prefix" || exit 1
source "$root/scripts/wine-env.sh" "$prefix"
out=$build/resp-probe.out
probe() {  # the probe writes to a file: the programs it starts inherit its stdio and would hold a pipe open
  timeout "$1" wine "$probe_exe" "${@:2}" </dev/null >"$out" 2>/dev/null
  local rc=$?
  tr -d '\r' < "$out"
  return $rc
}
cleanup() {
  probe 300 cleanup >/dev/null
  "$root/scripts/wine-fixture.sh" stop "$prefix" >/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

winpath() { echo "Z:${1//\//\\}"; }
exe=$(winpath "$vantrel")
figures=()
for scenario in $scenarios; do
  case $scenario in
    startup) limit=$((240 * runs + 60)); args=(startup "$exe" "$runs") ;;
    refresh) limit=3600; args=("$scenario" "$exe") ;;  # today a full refresh with the value takes minutes
    kill|services) limit=1200; args=("$scenario" "$exe") ;;
    *) echo "responsiveness_bench: unknown scenario $scenario"; continue ;;
  esac
  echo "== $scenario"
  text=$(probe "$limit" "${args[@]}")
  rc=$?
  echo "$text" | grep -v '^figure|' | sed 's/^/  /'
  [ $rc = 0 ] || echo "  ($scenario ended with $rc$([ $rc = 124 ] && echo ": time limit"))"
  while IFS= read -r line; do figures+=("$line"); done < <(echo "$text" | grep '^figure|')
done

echo
echo "| figure | value | target |"
echo "|---|---|---|"
for line in "${figures[@]}"; do
  IFS='|' read -r _ what value target <<< "$line"
  echo "| $what | $value | $target |"
done
