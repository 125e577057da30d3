#!/usr/bin/env bash
# terva-batch: a project's results appear beside it only after a run that
# ended with a report; every refused, failed or interrupted run leaves the
# previous results byte-identical; working folders never stay behind; runs
# side by side give the reports of runs one after another; the summary and
# the exit status. All in this test's own folder (XDG_DATA_HOME points the
# working folders into it).
set -euo pipefail
batch="$1"
examples="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
runs="$XDG_DATA_HOME/Halvit/TERVA/runs"
fail() { echo "FAILED: $*"; exit 1; }
source "$(dirname "$0")/slow_group.sh"
no_working_folders() {
  [ -z "$(ls -A "$runs" 2>/dev/null)" ] || fail "working folder left: $(ls "$runs")"
}
old_results() {  # old_results NAME: give NAME.tvo and NAME.tvp known contents
  printf 'old report of %s\n' "$1" > "$work/$1.tvo"
  printf 'old graphic of %s\n' "$1" > "$work/$1.tvp"
}
kept() {  # kept NAME: the known contents are still there
  [ "$(cat "$work/$1.tvo")" = "old report of $1" ] || fail "$1.tvo was changed"
  [ "$(cat "$work/$1.tvp")" = "old graphic of $1" ] || fail "$1.tvp was changed"
}

cp "$examples/half-space.tvd" "$work/"
printf 'GRAVITY=32.2\nFOUNDATION=SLAB\nRUN\n' > "$work/bad.tvd"

# A good run: the report beside the project, nothing left behind.
out="$("$batch" "$work/half-space.tvd")"
grep -q "engine returned 0: analysis completed" <<<"$out" || fail "no completion line"
grep -q "report: $work/half-space.tvo" <<<"$out" || fail "no report line"
grep -q "FOUNDATION TYPE - HALF-SPACE" "$work/half-space.tvo" || fail "no report"
[ -s "$work/half-space.tvp" ] || fail "no graphic data file"
[ ! -e "$work/names.dat" ] || fail "names.dat beside the project"
no_working_folders

# A failing run among good ones gives a non-zero exit status.
if "$batch" "$work/half-space.tvd" "$work/bad.tvd" > "$work/out.txt" 2>&1; then fail "a failing run must give a non-zero exit status"; fi
grep -q "bad.tvd: engine returned 3: fatal input error" "$work/out.txt" || fail "no fatal-input line"
if "$batch" "$work/missing.tvd" 2>/dev/null; then fail "a missing project must fail"; fi

# A report or graphic data file given as a project is refused and untouched.
old_results half-space
if "$batch" "$work/half-space.tvo" "$work/half-space.tvp" 2>"$work/err.txt"; then fail "x.tvo as a project must be refused"; fi
grep -q "refused: .*half-space.tvo: its results would overwrite the project itself" "$work/err.txt" || fail "no refusal line"
kept half-space

# The same results twice in one call: the second project is refused.
cp "$work/half-space.tvd" "$work/half-space.dat"
if "$batch" "$work/half-space.tvd" "$work/half-space.dat" 2>"$work/err.txt" >/dev/null; then fail "duplicates must be refused"; fi
grep -q "refused: .*half-space.dat: its results .*half-space.tvo are already written by" "$work/err.txt" || fail "no duplicate line"
if "$batch" "$work/half-space.tvd" "$work/half-space.tvd" 2>/dev/null >/dev/null; then fail "a project twice must be refused"; fi

# A read-only report is not replaced, and nothing else is either.
old_results half-space
chmod a-w "$work/half-space.tvo"
if "$batch" "$work/half-space.tvd" 2>"$work/err.txt" >/dev/null; then fail "a read-only report must stop the run"; fi
kept half-space
chmod u+w "$work/half-space.tvo"
no_working_folders

# A report that is a link (to a device, say) is refused.
ln -sf /dev/full "$work/linked.tvo"
cp "$work/half-space.tvd" "$work/linked.tvd"
if "$batch" "$work/linked.tvd" 2>/dev/null >/dev/null; then fail "a linked report must be refused"; fi
[ -L "$work/linked.tvo" ] || fail "the link was replaced"

# Paths of any length.
long="$work"
while [ ${#long} -lt 420 ]; do long="$long/a-rather-long-folder-name"; done
mkdir -p "$long"
cp "$work/half-space.tvd" "$long/a-project-with-a-long-name.tvd"
"$batch" "$long/a-project-with-a-long-name.tvd" >/dev/null || fail "a long path must work"
grep -q "FOUNDATION TYPE - HALF-SPACE" "$long/a-project-with-a-long-name.tvo" || fail "no report at the long path"

# Several projects side by side give the same reports, byte for byte, as one
# after another (dates and times masked).
mask() { sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{4}#MM/DD/YYYY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g' "$1"; }
mkdir -p "$work/one" "$work/two"
cp "$examples"/*.tvd "$work/one/"
cp "$examples"/*.tvd "$work/two/"
"$batch" -j 1 "$work"/one/*.tvd > "$work/one.txt" || fail "-j 1 on the examples failed"
"$batch" -j 2 "$work"/two/*.tvd > "$work/two.txt" || fail "-j 2 on the examples failed"
for project in "$examples"/*.tvd; do
  name="$(basename "$project" .tvd)"
  for ext in tvo tvp; do
    cmp -s <(mask "$work/one/$name.$ext") <(mask "$work/two/$name.$ext") || fail "$name.$ext differs between -j 1 and -j 2"
  done
done
# The same lines in the same order, whatever finished first.
diff <(sed "s#$work/one#X#g; /^summary/d; s/ [0-9.]* s  / T  /" "$work/one.txt") \
     <(sed "s#$work/two#X#g; /^summary/d; s/ [0-9.]* s  / T  /" "$work/two.txt") >/dev/null ||
  fail "-j 2 printed other lines than -j 1"
[ "$(grep -c 'engine returned 0' "$work/two.txt")" -eq "$(ls "$examples"/*.tvd | wc -l)" ] || fail "not every example ran"
no_working_folders

# A failing, a missing and a folder among good ones: one line each, the good
# ones still run, the summary lists every project, the exit status says 1.
cp "$work/half-space.tvd" "$work/good.tvd"
mkdir -p "$work/folder.tvd"
status=0
"$batch" -j 2 "$work/half-space.tvd" "$work/bad.tvd" "$work/missing.tvd" "$work/folder.tvd" "$work/good.tvd" \
  "$work/good.tvd" > "$work/out.txt" 2> "$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "a failing project among good ones must give 1, not $status"
grep -q "refused: $work/missing.tvd: no such project file" "$work/err.txt" || fail "no line for the missing project"
grep -q "refused: $work/folder.tvd: a folder, not a project file" "$work/err.txt" || fail "no line for the folder"
grep -q "refused: $work/good.tvd: given twice; it runs once" "$work/err.txt" || fail "no line for the project given twice"
summary="$(sed -n '/^summary: 6 projects, 2 analysed without errors, 4 not/,$p' "$work/out.txt")"
[ -n "$summary" ] || fail "no summary line: $(cat "$work/out.txt")"
line() { grep -qE "$1" <<<"$summary" || fail "no summary line like '$1' in: $summary"; }
line "^  0  analysis completed  +[0-9.]+ s  $work/half-space.tvo\$"
line "^  3  fatal input error - analysis not run; previous results kept  +[0-9.]+ s  $work/bad.failed.tvo\$"
line "^  -  refused: no such project file  +$work/missing.tvd\$"
line "^  -  refused: a folder, not a project file  +$work/folder.tvd\$"
line "^  0  analysis completed  +[0-9.]+ s  $work/good.tvo\$"
line "^  -  refused: given twice; it runs once  +$work/good.tvd\$"
[ "$(grep -c '^  [0-9-]  ' <<<"$summary")" -eq 6 ] || fail "not one summary line per project"
grep -q "FOUNDATION TYPE - HALF-SPACE" "$work/good.tvo" || fail "a good project did not run"
# Nothing but those lines and the failed run's on standard error: no
# progress line when it is no terminal.
! grep -q "done, " "$work/err.txt" || fail "a progress line without a terminal: $(cat -A "$work/err.txt")"
[ "$(grep -vc -e '^terva-batch: refused: ' -e '^terva-batch: .*bad.tvd: engine returned 3' -e '^  ' "$work/err.txt")" -eq 0 ] ||
  fail "more on standard error than the refusals and the failure: $(cat -A "$work/err.txt")"

# --fail-fast: nothing starts after the first failure.
rm -f "$work/good.tvo"
if "$batch" -j 1 --fail-fast "$work/bad.tvd" "$work/good.tvd" > "$work/out.txt" 2>/dev/null; then fail "--fail-fast must fail"; fi
grep -qE "^  -  not run: stopped after a failure +$work/good.tvd\$" "$work/out.txt" || fail "no not-run line"
[ ! -e "$work/good.tvo" ] || fail "--fail-fast ran the project after the failure"
"$batch" --keep-going -j 1 "$work/bad.tvd" "$work/good.tvd" >/dev/null 2>&1 && fail "--keep-going must still fail"
[ -e "$work/good.tvo" ] || fail "--keep-going did not run the project after the failure"

# A wrong command line: a message, the usage and 2.
for wrong in "-j 0 x.tvd" "-j x.tvd" "--export xml x.tvd" "--at fast x.tvd" "--at 25kHz x.tvd" "--frobnicate x.tvd" ""; do
  status=0
  # shellcheck disable=SC2086
  "$batch" $wrong > /dev/null 2> "$work/err.txt" || status=$?
  [ "$status" -eq 2 ] || fail "'$wrong' must give 2, not $status"
  grep -q "^usage: terva-batch" "$work/err.txt" || fail "'$wrong' gave no usage"
done
"$batch" --help | grep -q -- "--fail-fast" || fail "--help does not list the options"

# Interrupted: SIGINT during a long run ends it and keeps the old results.
slow_group_deck > "$work/slow.tvd"
old_results slow
"$batch" "$work/slow.tvd" >/dev/null 2>"$work/err.txt" &
pid=$!
sleep 1
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 130 ] || fail "an interrupted run must exit with 130, not $status"
grep -q "interrupted; the previous results are kept where a run did not finish" "$work/err.txt" || fail "no interruption line"
kept slow
no_working_folders
pgrep -f "terva-batch $work/slow.tvd" >/dev/null && fail "the engine's process is still running"

# On a terminal: the progress line with the engine's frequencies, cleared
# before the project's lines (script gives the runner a terminal).
if command -v script >/dev/null; then
  # 30 frequencies: the loop outlasts a few of the runner's polls (ten a second)
  sed 's/^2048,2,2$/600,20,20/' "$work/slow.tvd" > "$work/short.tvd"
  script -qec "$batch $work/short.tvd" /dev/null > "$work/tty.txt" 2>&1 || fail "the run on a terminal failed"
  grep -qaE "terva-batch: 0/1 done, 0:0[0-9]; running: short.tvd [0-9]+/30 freq." "$work/tty.txt" ||
    fail "no progress line on a terminal: $(tr '\r' '\n' < "$work/tty.txt" | head -5)"
  grep -qa $'\033\[K/.*short.tvd' "$work/tty.txt" || fail "the progress line was not cleared before the report lines"
fi

# Interrupted with two runs in flight: every child ends, every working folder
# goes, both old results stay.
cp "$work/slow.tvd" "$work/slow-2.tvd"
old_results slow-2
"$batch" -j 2 "$work/slow.tvd" "$work/slow-2.tvd" >/dev/null 2>"$work/err.txt" &
pid=$!
for _ in $(seq 50); do [ "$(ls -A "$runs" 2>/dev/null | wc -l)" -ge 2 ] && break; sleep 0.1; done
[ "$(ls -A "$runs" 2>/dev/null | wc -l)" -eq 2 ] || fail "two working folders expected while both run"
sleep 0.5
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 130 ] || fail "an interrupted -j 2 run must exit with 130, not $status"
kept slow
kept slow-2
no_working_folders
pgrep -f "$work/slow.tvd $work/slow-2.tvd" >/dev/null && fail "an engine process is still running"

echo "terva-batch: all checks passed"
