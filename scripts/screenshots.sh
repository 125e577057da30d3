#!/usr/bin/env bash
# Takes the desktop program's screenshots (docs/*.png) on a virtual X display
# with a window manager, so that the windows carry their frames.
#   bash scripts/screenshots.sh [BUILD-FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
for p in xvfb xauth openbox; do
  dpkg -s "$p" >/dev/null 2>&1 || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq xvfb xauth openbox >/dev/null; break; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp examples/projects/pile-group-4.tvd "$work/"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c "
  openbox >/dev/null 2>&1 &
  sleep 1
  '$build/bin/app_screenshots' docs '$work/pile-group-4.tvd'
"

# Every page of the two calculation reports the tool wrote, side by side with
# a thin frame each, three to a row (poppler's pdftoppm, Debian's Pillow).
for name in pile-group-4 compressor; do
  pdf="docs/report-$name.pdf"
  [ -f "$pdf" ] || { echo "$pdf: not written"; continue; }
  pdftoppm -r 56 -png "$pdf" "$work/$name"
  /usr/bin/python3 - "$work" "$name" "docs/report-pages-$name.png" <<'PY'
import glob, sys
from PIL import Image, ImageDraw
pages = [Image.open(p).convert("RGB") for p in sorted(glob.glob(f"{sys.argv[1]}/{sys.argv[2]}-*.png"))]
w, h = pages[0].size
gap, per_row = 12, 3
rows = (len(pages) + per_row - 1) // per_row
sheet = Image.new("RGB", (per_row * (w + gap) + gap, rows * (h + gap) + gap), (200, 200, 200))
for i, page in enumerate(pages):
    x, y = gap + (i % per_row) * (w + gap), gap + (i // per_row) * (h + gap)
    sheet.paste(page, (x, y))
    ImageDraw.Draw(sheet).rectangle([x - 1, y - 1, x + w, y + h], outline=(120, 120, 120))
sheet.save(sys.argv[3], optimize=True)
print(f"{sys.argv[3]}: {len(pages)} pages")
PY
  rm -f "$pdf"
done
