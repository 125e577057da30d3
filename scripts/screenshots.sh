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
