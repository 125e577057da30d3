#!/usr/bin/env bash
# Recovery after a crash, as a user meets it: the built terva, autosaving
# every minute, opens a copy of an example project on a virtual display; a
# title is typed and the units switched with the keyboard and not saved; the
# program is killed (SIGKILL) once the autosave is there. The next start
# asks to recover; Yes brings the changes back unsaved ("*" in the caption);
# leaving without saving keeps the project's own file as it was and leaves
# no autosave behind.
#
#   terva_recovery_test.sh TERVA EXAMPLE.tvd VERSION
set -euo pipefail
terva="$1"
example="$2"
version="$3"
# Xvfb comes with xvfb-run; the server is started here itself so that it picks
# a free display on its own (-displayfd): suites side by side on one machine
# never share a display, nor a window of the same name.
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work="$(mktemp -d)"
xvfb=""
pid=""
cleanup() {
  [ -z "$pid" ] || kill -9 "$pid" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM
cp "$example" "$work/recover.tvd"
cp "$example" "$work/original.tvd"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Halvit" && chmod 700 "$XDG_RUNTIME_DIR"
# The settings of this version: an autosave every minute.
printf '[%s]\nAutosaveMinutes=1\n' "$version" >"$XDG_CONFIG_HOME/Halvit/TERVA.conf"

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
xvfb=$!
for ((i = 0; i < 100; ++i)); do grep -q . "$work/display" 2>/dev/null && break; sleep 0.1; done
grep -q . "$work/display" || { cat "$work/xvfb.err"; echo "the virtual display did not start"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

caption="^TERVA ${version//./\\.} - Recover"
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
wait_for() {  # wait_for NAME SECONDS: the id of the visible window NAME
  local id="" i
  for ((i = 0; i < $2 * 10; ++i)); do id="$(visible "$1")"; [ -n "$id" ] && break; sleep 0.1; done
  [ -n "$id" ] || { echo "no window \"$1\" after $2 s" >&2; return 1; }
  echo "$id"
}
autosaves() { find "$XDG_DATA_HOME" -path "*/autosave/*.tvd" 2>/dev/null; }

# The first run: changes typed, autosaved, then a crash.
"$terva" "$work/recover.tvd" & pid=$!
main=$(wait_for "$caption\$" 60)
sleep 1
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+d
sleep 0.5
xdotool key t
sleep 1
xdotool type --delay 20 "Typed before the crash"
sleep 0.5
xdotool key --clearmodifiers alt+d  # English units; the title is taken as its window is left
sleep 0.5
xdotool key u
sleep 0.5
xdotool key e
wait_for "$caption\\*\$" 10 >/dev/null
started=$SECONDS
autosave=""
for ((i = 0; i < 900; ++i)); do autosave="$(autosaves | head -1)"; [ -n "$autosave" ] && break; sleep 0.1; done
[ -n "$autosave" ] || { echo "no autosave after 90 s"; exit 1; }
echo "autosaved after $((SECONDS - started)) s"
sleep 0.5  # its description is written just after it
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=""
grep -q "Typed before the crash" "$autosave" || { echo "the autosave lacks the typed title"; exit 1; }
[ -e "${autosave%.tvd}.ini" ] && [ -e "${autosave%.tvd}.lock" ] || { echo "the autosave's files went with the crash"; exit 1; }

# The next start: the question, answered Yes with the keyboard (Yes is its
# default button).
"$terva" "$work/recover.tvd" & pid=$!
box=$(wait_for "^Recover Project\$" 60)
sleep 0.5
xdotool windowfocus --sync "$box"
xdotool key Return
main=$(wait_for "$caption\\*\$" 10)
[ ! -e "$autosave" ] || { echo "the recovered autosave is still there"; exit 1; }

# Leaving without saving: File > Exit, No to the question to save.
sleep 1
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x
ask=$(wait_for "^TERVA\$" 10)
sleep 0.5
xdotool windowfocus --sync "$ask"
xdotool key --clearmodifiers alt+n
for ((i = 0; i < 100; ++i)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "terva did not close through File > Exit"; exit 1; fi
wait "$pid" 2>/dev/null || true
pid=""

cmp "$work/original.tvd" "$work/recover.tvd" || { echo "the project's own file changed"; exit 1; }
if [ -n "$(find "$XDG_DATA_HOME" -path '*/autosave/*' -type f 2>/dev/null)" ]; then
  find "$XDG_DATA_HOME" -path '*/autosave/*' -type f
  echo "an autosave was left behind after a normal end"; exit 1
fi
echo "terva recovery: the changes came back after kill -9, the project's file untouched"
