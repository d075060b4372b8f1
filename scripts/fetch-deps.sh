#!/usr/bin/env bash
# Fetches the sources of the libraries the Windows builds compile themselves (libjpeg-turbo, from Debian's source
# package) into .deps/. Needs no root: apt runs on a private source list and cache under .deps/apt.
# Runs once; later runs see the unpacked tree and exit at once.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/.deps"
target="$deps/libjpeg-turbo"
if [ -f "$target/jpeglib.h" ]; then
  exit 0
fi

apt_dir="$deps/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$deps/dl"
# The machine's own deb lines, turned into deb-src lines of a private list.
: > "$apt_dir/sources.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >> "$apt_dir/sources.list"
done
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  sed 's/^Types: deb$/Types: deb-src/' "$f" > "$apt_dir/$(basename "$f")"
done
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "Debug::NoLocking=1")
apt-get "${apt_opts[@]}" update -qq
(cd "$deps/dl" && apt-get "${apt_opts[@]}" source --download-only -qq libjpeg-turbo)
dsc=$(ls "$deps"/dl/libjpeg-turbo_*.dsc | head -n 1)
rm -rf "$target"
dpkg-source -x "$dsc" "$target" >/dev/null
echo "fetch-deps: libjpeg-turbo $(basename "$dsc" .dsc | sed 's/^libjpeg-turbo_//')"
