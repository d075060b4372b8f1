#!/usr/bin/env bash
# ctest fixture around the Wine tests of one build tree.
#   start PREFIX: stop a stale server, start a private Xvfb when there is no DISPLAY, prepare the prefix,
#                 start a persistent wineserver and Wine's helper processes (with /dev/null as their stdio).
#   stop PREFIX:  stop the wineserver and that Xvfb; nothing of the run is left behind.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=$1
prefix=$(realpath -m "$2")
state="$prefix"   # the fixture's files sit beside the prefix: $prefix.display, $prefix.xvfb.pid

stop_xvfb() {
  if [ -s "$state.xvfb.pid" ]; then
    kill "$(cat "$state.xvfb.pid")" 2>/dev/null || true
  fi
  rm -f "$state.xvfb.pid" "$state.display"
}

stop_server() {
  ( source "$here/wine-env.sh" "$prefix"; timeout 20 wineserver -k >/dev/null 2>&1; timeout 20 wineserver -w >/dev/null 2>&1 ) || true
}

case "$cmd" in
  start)
    mkdir -p "$(dirname "$prefix")"
    stop_server   # a server started without a display would make every CreateWindow fail
    stop_xvfb
    if [ -z "${DISPLAY:-}" ]; then
      fdfile=$(mktemp)
      setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" </dev/null >/dev/null 2>&1 &
      echo $! > "$state.xvfb.pid"
      for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
      if [ ! -s "$fdfile" ]; then echo "wine-fixture: Xvfb did not start"; rm -f "$fdfile"; stop_xvfb; exit 1; fi
      tr -d '\n' < "$fdfile" > "$state.display"
      rm -f "$fdfile"
      echo "wine-fixture: private Xvfb on :$(cat "$state.display")"
    fi
    "$here/wine-prefix-init.sh" "$prefix" || { stop_xvfb; exit 1; }
    source "$here/wine-env.sh" "$prefix"
    # Preparing a new prefix leaves its own server running for a few seconds; a persistent server can only start
    # once that one is gone. Without the wait the tests ran against servers that kept exiting under them.
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    setsid wineserver -p </dev/null >/dev/null 2>&1 || { echo "wine-fixture: persistent wineserver did not start"; exit 1; }
    # Wine's helper processes inherit the stdio of the first Wine process: give them /dev/null, never a pipe.
    timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || { echo "wine-fixture: warm-up failed"; exit 1; }
    echo "wine-fixture: ready ($WINEPREFIX)"
    ;;
  stop)
    stop_server
    stop_xvfb
    echo "wine-fixture: stopped"
    ;;
  *)
    echo "usage: $0 start|stop PREFIX"; exit 2 ;;
esac
