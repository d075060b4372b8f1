#!/usr/bin/env bash
# Creates or updates a Wine prefix for Vantrel: Windows 10, no crash dialog, unmanaged windows, fonts for
# Chinese text. Idempotent: a marker holds the checksum of the settings, so changed settings are applied again.
# Create prefixes only after the fonts are installed (setup.sh): a prefix remembers the fonts it first saw.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh" "$1"

reg="$here/wine-prefix.reg"
marker="$WINEPREFIX/.vantrel-prefix"
want=$(cat "$reg" "$0" | sha256sum | cut -d' ' -f1)
if [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ]; then
  exit 0
fi

echo "wine-prefix-init: preparing $WINEPREFIX"
mkdir -p "$WINEPREFIX"
timeout 180 wineboot -i </dev/null >/dev/null 2>&1 || { echo "wine-prefix-init: wineboot failed"; exit 1; }
timeout 60 wine regedit /S "Z:${reg//\//\\}" </dev/null >/dev/null 2>&1 \
  || { echo "wine-prefix-init: regedit failed"; exit 1; }
# This Wine does not load fonts-wine by itself. Bold Tahoma must stay out: with it, bold captions lose the
# link to the Chinese font and show boxes.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
for f in /usr/share/wine/fonts/*.ttf; do
  [ "$(basename "$f")" = tahomabd.ttf ] || cp -f "$f" "$fonts/"
done
echo "$want" > "$marker"
