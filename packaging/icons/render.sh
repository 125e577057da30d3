#!/usr/bin/env bash
# Renders the icon's hicolor sizes from terva.svg (rsvg-convert, Debian's
# librsvg2-bin). The PNGs are committed: the build and the package need no
# SVG tool; run this only after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || { echo "render.sh: apt-get install librsvg2-bin" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" terva.svg -o "hicolor/${size}x${size}/apps/terva.png"
done
