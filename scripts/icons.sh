#!/usr/bin/env bash
# Renders the icon's PNG sizes and the Windows .ico from the one drawing,
# dist/icons/hicolor/scalable/apps/tarvello.svg. Run it after changing the drawing and commit
# what it writes: the builds and packages take the PNGs and the .ico as they are, so that no
# build (nor a Windows one) needs an SVG renderer.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in rsvg-convert icotool; do
  command -v "$tool" >/dev/null || { echo "icons: $tool missing (scripts/deps.sh installs it)"; exit 1; }
done
icons=dist/icons/hicolor
svg=$icons/scalable/apps/tarvello.svg
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$icons/${size}x$size/apps"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$icons/${size}x$size/apps/tarvello.png"
done
# The .ico of the executable and the installer: the small sizes as bitmaps, 256 as PNG.
icotool -c -o dist/windows/tarvello.ico "$icons"/{16x16,24x24,32x32,48x48,64x64}/apps/tarvello.png \
  -r "$icons/256x256/apps/tarvello.png"
echo "icons: $(find "$icons" -name '*.png' | wc -l) PNG sizes and dist/windows/tarvello.ico written"
