#!/usr/bin/env bash
# The user's path: start the built terva on an example project in a folder
# of its own, on a virtual display, choose Computation > Run Analysis with
# the keyboard, confirm the completion message, leave through File > Exit,
# and find the report beside the project.
#
#   terva_end_to_end_test.sh TERVA EXAMPLE.tvd VERSION
set -euo pipefail
terva="$1"
example="$2"
version="$3"
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$example" "$work/e2e.tvd"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
# The program must show its windows on the virtual display, whatever the
# caller's environment says (offscreen, Wayland).
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The display's number is drawn, so that suites run side by side on one
# machine do not both take :99 (xvfb-run -a then goes up from it); a display
# that another suite took in the same instant leaves the program without one,
# and the user's path is then walked once more on another display.
session() {
xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1280x800x24" bash -euo pipefail -c '
  terva="$1"; work="$2"; version="$3"
  visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
  wait_for() {  # wait_for NAME SECONDS: the id of the visible window NAME
    local id="" i
    for ((i = 0; i < $2 * 10; ++i)); do id="$(visible "$1")"; [ -n "$id" ] && break; sleep 0.1; done
    [ -n "$id" ] || { echo "no window \"$1\" after $2 s" >&2; return 1; }
    echo "$id"
  }
  "$terva" "$work/e2e.tvd" & pid=$!
  main=$(wait_for "^TERVA ${version//./\\.} - E2e$" 60)
  sleep 1
  xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers alt+c
  sleep 1
  xdotool key r
  box=$(wait_for "^TERVA$" 300)
  sleep 0.5
  xdotool windowfocus --sync "$box"
  xdotool key Return
  for ((i = 0; i < 100; ++i)); do [ -z "$(visible "^TERVA$")" ] && break; sleep 0.1; done
  sleep 1
  xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers alt+f
  sleep 1
  xdotool key x
  for ((i = 0; i < 600; ++i)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "terva did not close through File > Exit" >&2; kill "$pid"; exit 1; fi
' _ "$terva" "$work" "$version"
}
for attempt in 1 2; do
  status=0
  session 2>"$work/session.err" || status=$?
  cat "$work/session.err" >&2
  [ "$status" = 0 ] && break
  if [ "$attempt" = 2 ] || ! grep -q "could not connect to display" "$work/session.err"; then exit 1; fi
  echo "the virtual display was gone before the program started; once more on another" >&2
done

grep -q "FOOTING RESPONSE AMPLITUDES" "$work/e2e.tvo"
[ -s "$work/e2e.tvp" ]
[ ! -e "$work/names.dat" ]
if [ -d "$work/data" ] && [ -n "$(find "$work/data" -mindepth 3 -name 'run-*' 2>/dev/null)" ]; then
  echo "a working folder was left behind"; exit 1
fi
echo "terva end to end: report written through the Computation menu"
