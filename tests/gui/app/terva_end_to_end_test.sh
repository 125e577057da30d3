#!/usr/bin/env bash
# The user's path: start the built terva on an example project in a folder
# of its own, on a virtual display, choose Computation > Run Analysis with
# the keyboard, confirm the completion message, leave through File > Exit,
# and find the report beside the project.
#
#   terva_end_to_end_test.sh TERVA EXAMPLE.tvd
set -euo pipefail
terva="$1"
example="$2"
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$example" "$work/e2e.tvd"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

xvfb-run -a -s "-screen 0 1280x800x24" bash -euo pipefail -c '
  terva="$1"; work="$2"
  "$terva" "$work/e2e.tvd" & pid=$!
  main=$(timeout 30 xdotool search --sync --onlyvisible --name "^TERVA 3.0.5 - E2e$" | head -1)
  xdotool windowfocus --sync "$main"
  sleep 0.5
  xdotool key --clearmodifiers alt+c
  sleep 0.5
  xdotool key r
  box=$(timeout 120 xdotool search --sync --onlyvisible --name "^TERVA$" | head -1)
  xdotool windowfocus --sync "$box"
  sleep 0.3
  xdotool key Return
  sleep 0.5
  xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers alt+f
  sleep 0.3
  xdotool key x
  timeout 30 tail --pid="$pid" -f /dev/null
' _ "$terva" "$work"

grep -q "FOOTING RESPONSE AMPLITUDES" "$work/e2e.tvo"
[ -s "$work/e2e.tvp" ]
[ ! -e "$work/names.dat" ]
if [ -d "$work/data" ] && [ -n "$(find "$work/data" -mindepth 3 -name 'run-*' 2>/dev/null)" ]; then
  echo "a working folder was left behind"; exit 1
fi
echo "terva end to end: report written through the Computation menu"
