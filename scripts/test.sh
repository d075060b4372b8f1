#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test: native, native under ASan+UBSan, libFuzzer smoke runs,
# win64 under Wine (private Xvfb when there is no display), and the 32-bit program (its tests cannot run here:
# there is no 32-bit Wine, so none is built, run or reported).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

step() { printf '\n=== %s\n' "$*"; }
start=$(date +%s)

for preset in native native-asan fuzz win64; do
  step "$preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  step "$preset: test"
  ctest --preset "$preset"
done

step "win32: configure and build the program (no 32-bit Wine here to run tests)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Vantrel

step "all tests passed in $(( $(date +%s) - start )) s"
