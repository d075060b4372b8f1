#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Vantrel.
# Idempotent: when everything is present it prints one line and exits within a second.
set -euo pipefail

PACKAGES=(
  # native build and tests
  g++ cmake ninja-build googletest libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  # the snapshot's JPEG writer (native builds; the Windows builds compile Debian's source, see fetch-deps.sh)
  libjpeg62-turbo-dev
  # cross compilers (posix thread model: std::thread and std::mutex)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix nasm dpkg-dev
  # running and looking at the program under Wine
  wine wine64 fonts-wine xvfb xauth x11-utils fonts-wqy-microhei imagemagick
  # real key strokes through the XTest extension (keyboard tests, F10 and Alt+Space)
  xdotool
  # the update check's local test server
  python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

here=$(cd "$(dirname "$0")" && pwd)
if [ ${#missing[@]} -eq 0 ]; then
  "$here/fetch-deps.sh"
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# One failing index (a mirror in sync) must not stop the install of the others.
$SUDO apt-get update -qq || echo "setup: warning: apt-get update reported errors; continuing"
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "setup: done"
"$here/fetch-deps.sh"
