#!/usr/bin/env bash
# Runs one Windows test executable under Wine and decides pass or fail itself, because Wine's exit code
# cannot be trusted: a crashed process has been seen to exit 0, and a 32-bit executable "runs" as a no-op.
# Pass = x86-64 executable, exit code 0, no crash report, and the completion marker printed at the end of main.
# Usage: wine-test.sh PREFIX EXE [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1; exe=$2; shift 2
source "$here/wine-env.sh" "$prefix"

machine=$(vantrel_pe_machine "$exe")
if [ "$machine" != "8664" ]; then
  echo "wine-test: $exe is not an x86-64 executable (PE machine $machine); this Wine cannot run it"
  exit 1
fi

out=$(mktemp)
# A file, not a pipe, takes the output: a helper process that inherits it can never hold the test open.
timeout -k 5 "${VANTREL_TEST_TIMEOUT:-110}" wine "$exe" "$@" </dev/null >"$out" 2>&1
rc=$?
tr -d '\r' < "$out"
fail=0
if grep -qE 'wine: Unhandled|wine: could not load|Unhandled exception|Backtrace:' "$out"; then
  echo "wine-test: the process crashed (exit code $rc)"
  fail=1
fi
if ! tr -d '\r' < "$out" | grep -q '^VANTREL-TEST-COMPLETE'; then
  echo "wine-test: the completion marker is missing (exit code $rc)"
  fail=1
fi
if [ $rc -ne 0 ]; then
  echo "wine-test: exit code $rc"
  fail=1
fi
rm -f "$out"
exit $fail
