#!/usr/bin/env bash
# Sets up the machine, builds Vantrel and runs it under Wine.
# With a display: runs on it until you close the window (arguments are passed to the program).
# Without one: starts a private Xvfb, runs the program for a few seconds, proves its main window came up,
# saves a screenshot of it and stops everything again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Vantrel | tail -n 1

prefix=build/win64/wineprefix
exe=build/win64/src/app/Vantrel.exe
shot=build/win64/screenshot.png

if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-prefix-init.sh "$prefix"
  source scripts/wine-env.sh "$prefix"
  exec wine "$exe" "$@"
fi

scripts/wine-fixture.sh start "$prefix" >/dev/null
trap 'scripts/wine-fixture.sh stop "$prefix" >/dev/null' EXIT
source scripts/wine-env.sh "$prefix"
# Without arguments the log tab is shown too, so the picture has all eight pages.
[ $# -gt 0 ] || set -- /DEBUG
wine "$exe" /NUC "$@" </dev/null >/dev/null 2>&1 &

# The main window is the top-level "Vantrel" window at least 700 pixels wide (the splash is smaller).
window=""
for _ in $(seq 150); do
  window=$(xwininfo -root -tree 2>/dev/null |
    awk '/"Vantrel": \(/ { split($0, a, ")  "); split(a[2], g, "x"); if (g[1] + 0 >= 700) { print $1; exit } }')
  [ -n "$window" ] && break
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "run: the main window did not come up" >&2
  exit 1
fi
sleep "${VANTREL_RUN_SECONDS:-3}"
import -window "$window" "$shot"
echo "run: the main window came up (X window $window); screenshot saved to $shot"
