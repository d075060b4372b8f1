#!/usr/bin/env bash
# Real key events against the real window under Xvfb: F10 drops the program menu down under its caption button,
# Escape closes it, Alt+Space opens the system menu, Alt+F4 ends the program.
# Usage: caption_keys_test.sh PREFIX VANTREL_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh" "$1"
exe=$2
command -v xdotool >/dev/null || { echo "caption_keys_test: xdotool missing (scripts/setup.sh installs it)"; exit 1; }

fail=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected $2, got $3"; fail=1; fi
}
# The program's visible X windows: the main window plus any open pop-up menu.
shown() { xdotool search --onlyvisible --class vantrel.exe 2>/dev/null | wc -l; }
settle() {  # settle EXPECTED: waits up to 5 s for that many visible windows
  for _ in $(seq 50); do [ "$(shown)" = "$1" ] && return; sleep 0.1; done
}

timeout 120 wine "$exe" /NUC >/dev/null 2>&1 &
program=$!
trap 'kill $program 2>/dev/null; wait $program 2>/dev/null' EXIT
main=""
for _ in $(seq 300); do
  main=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -1)
  [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "FAILED: no main window"; exit 1; }
sleep 2  # the first refresh; the splash, also titled so, is gone by then
# On a busy machine the splash may still be closing: take the window whose geometry can still be read.
geometry=""
for _ in $(seq 50); do
  main=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -1)
  geometry=$(xdotool getwindowgeometry --shell "$main" 2>/dev/null) && [ -n "$geometry" ] && break
  sleep 0.1
done
[ -n "$geometry" ] || { echo "FAILED: the main window's geometry"; exit 1; }
check "only the main window at start" 1 "$(shown)"
eval "$geometry"
mainX=$X mainY=$Y mainW=$WIDTH

xdotool key F10
settle 2
check "F10 opens a menu" 2 "$(shown)"
menu=$(xdotool search --onlyvisible --class vantrel.exe | grep -v "^$main\$" | head -1)
if [ -n "$menu" ]; then
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  # Under its caption button: in the window's right half, just below the caption.
  check "the program menu hangs from the caption's right half" yes \
    "$([ "$X" -gt $((mainX + mainW / 2)) ] && [ "$Y" -gt "$mainY" ] && [ "$Y" -lt $((mainY + 80)) ] && echo yes || echo no)"
fi
xdotool key Escape
settle 1
check "Escape closes it" 1 "$(shown)"

xdotool key alt+space
settle 2
check "Alt+Space opens the system menu" 2 "$(shown)"
menu=$(xdotool search --onlyvisible --class vantrel.exe | grep -v "^$main\$" | head -1)
if [ -n "$menu" ]; then
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  check "the system menu hangs from the window's left edge" yes \
    "$([ "$X" -lt $((mainX + 40)) ] && echo yes || echo no)"
fi
xdotool key Escape
settle 1

xdotool key alt+F4
for _ in $(seq 100); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
check "Alt+F4 ends the program" gone "$(kill -0 $program 2>/dev/null && echo running || echo gone)"
exit $fail
