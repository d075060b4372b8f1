#!/usr/bin/env bash
# Runs the keyboard tests under Wine with a key presser beside them: the test writes xdotool commands, one a line,
# into <dir>/keys and waits; this loop runs them (real X key events through the XTest extension, into whatever
# window has the focus) and removes the file. Usage: keyboard_test.sh PREFIX EXE [ARGS...]
set -u
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix=$1; exe=$2; shift 2
source "$scripts/wine-env.sh" "$prefix"
command -v xdotool >/dev/null || { echo "keyboard_test: xdotool is missing (scripts/setup.sh installs it)"; exit 1; }
dir=$(mktemp -d)
export VANTREL_KEYS_DIR="$dir"
(
  while [ -d "$dir" ]; do
    if [ -f "$dir/keys" ]; then
      while IFS= read -r line; do
        [ -n "$line" ] && eval "xdotool $line" >/dev/null 2>&1
      done < "$dir/keys"
      rm -f "$dir/keys"
    fi
    sleep 0.05
  done
) &
presser=$!
"$scripts/wine-test.sh" "$prefix" "$exe" "$@"
rc=$?
rm -rf "$dir"
kill "$presser" 2>/dev/null
wait "$presser" 2>/dev/null
exit $rc
