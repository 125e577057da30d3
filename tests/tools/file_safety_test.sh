#!/usr/bin/env bash
# terva-batch and the files beside a project: a run without results leaves
# the previous set byte for byte and puts its own report in NAME.failed.tvo;
# an interrupted delivery is completed before anything reads the set;
# exports never write through a link; one file under two spellings, or one
# results set from two calls at once, runs once; a runs folder open to
# others is closed (or refused when it is not the user's); working folders
# of a killed terva-batch go at the next start. All in this test's own
# folder (XDG_DATA_HOME points the working folders into it).
#
#   file_safety_test.sh TERVA-BATCH EXAMPLES
set -euo pipefail
batch="$1"
examples="$2"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
runs="$XDG_DATA_HOME/Halvit/TERVA/runs"
fail() { echo "FAILED: $*"; exit 1; }
source "$(dirname "$0")/slow_group.sh"
same_set() {  # same_set NAME: the set is still the saved one, byte for byte
  for ext in tvo tvp tvj; do cmp -s "$work/$1.$ext" "$work/saved/$1.$ext" || fail "$1.$ext was changed"; done
}
save_set() { mkdir -p "$(dirname "$work/saved/$1")"; for ext in tvo tvp tvj; do cp "$work/$1.$ext" "$work/saved/$1.$ext"; done; }

# 1. Failed runs of an analysed project: a broken keyword value, an empty
# project, a refused gravity. Each exits 1, names its first error line and
# its report, and leaves the set byte for byte.
cp "$examples/half-space.tvd" "$work/p.tvd"
"$batch" "$work/p.tvd" >/dev/null || fail "the first run of p.tvd"
save_set p
check_failure() {  # check_failure WHAT EXPECTED-LINE
  local status=0
  "$batch" "$work/p.tvd" >"$work/out.txt" 2>"$work/err.txt" || status=$?
  [ "$status" -eq 1 ] || fail "$1: exit status $status, not 1"
  grep -qF "$2" "$work/err.txt" || fail "$1: no line '$2' in: $(cat "$work/err.txt")"
  grep -qF "its report: $work/p.failed.tvo" "$work/err.txt" || fail "$1: the failed report's path is not given"
  grep -qE "previous results kept +[0-9.]+ s  $work/p.failed.tvo\$" "$work/out.txt" || fail "$1: summary line: $(cat "$work/out.txt")"
  [ -s "$work/p.failed.tvo" ] || fail "$1: no failed report"
  same_set p
}
sed 's/^RECTANGULAR=20.0, 10.0$/RECTANGULAR=20.0, TEN/' "$examples/half-space.tvd" > "$work/p.tvd"
check_failure "a broken value" "*** INPUT ERROR ***"
: > "$work/p.tvd"
check_failure "an empty project" "engine returned 2: run stopped"
sed 's/^GRAVITY=32.2$/GRAVITY=-1/' "$examples/half-space.tvd" > "$work/p.tvd"
check_failure "a refused gravity" "INADMISSABLE VALUE FOR GRAVITATIONAL CONSTANT"
# the next complete run replaces the set and removes the failed report
cp "$examples/half-space.tvd" "$work/p.tvd"
"$batch" "$work/p.tvd" >/dev/null || fail "the good run after the failures"
[ ! -e "$work/p.failed.tvo" ] || fail "a complete run must remove the failed report"
ls "$work" | grep -qE '\.(new|delivery|lock)$' && fail "staging, journal or lock files left: $(ls "$work")"

# The same for every bundled example: a refused gravity and an empty
# project leave its analysed set byte for byte.
mkdir -p "$work/each"
for example in "$examples"/*.tvd "$examples"/projects/*.tvd; do
  name="each/$(basename "$example" .tvd)"
  cp "$example" "$work/$name.tvd"
  "$batch" "$work/$name.tvd" >/dev/null 2>&1 || fail "the first run of $name"
  save_set "$name"
  sed -i 's/^GRAVITY=.*/GRAVITY=-1/' "$work/$name.tvd"
  if "$batch" "$work/$name.tvd" >/dev/null 2>"$work/err.txt"; then fail "$name with a refused gravity must fail"; fi
  grep -q "INADMISSABLE VALUE FOR GRAVITATIONAL CONSTANT" "$work/err.txt" || fail "$name: no first error line"
  same_set "$name"
  : > "$work/$name.tvd"
  if "$batch" "$work/$name.tvd" >/dev/null 2>&1; then fail "$name as an empty project must fail"; fi
  same_set "$name"
done

# 9. A delivery killed between its renames (the journal written, one file
# renamed): the next run completes the set before it does anything else.
save_set p
printf 'new graphic\n' > "$work/p.tvp.new"
printf 'new report\n' > "$work/p.tvo"
printf 'report\ngraphic\n' > "$work/p.tvo.delivery"
: > "$work/p.tvd"  # the next run fails: only the recovery changes the set
"$batch" "$work/p.tvd" >/dev/null 2>&1 && fail "an empty project must fail"
[ "$(cat "$work/p.tvp")" = "new graphic" ] || fail "the interrupted delivery was not completed"
[ ! -e "$work/p.tvj" ] || fail "the results file of the old set stayed beside the new report"
[ ! -e "$work/p.tvo.delivery" ] || fail "the journal stayed"
cp "$examples/half-space.tvd" "$work/p.tvd"

# 5. An export never writes through a planted link.
printf 'victim\n' > "$work/victim.txt"
ln -s "$work/victim.txt" "$work/p.results.json"
status=0
"$batch" --export json "$work/p.tvd" >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "an export through a link must fail, not $status"
[ "$(cat "$work/victim.txt")" = "victim" ] || fail "the export wrote through the link"
[ -L "$work/p.results.json" ] || fail "the link was replaced"
grep -q "is a link or not a plain file" "$work/err.txt" || fail "no line for the link: $(cat "$work/err.txt")"
rm "$work/p.results.json"

# 6. One file under two spellings (a link to the folder) runs once.
mkdir -p "$work/real"
cp "$examples/half-space.tvd" "$work/real/q.tvd"
cp "$examples/half-space.tvd" "$work/real/q.dat"
ln -s "$work/real" "$work/alias"
status=0
"$batch" -j 2 "$work/real/q.tvd" "$work/alias/q.dat" >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "two spellings of one results set must be refused, not $status"
grep -q "refused: $work/alias/q.dat: its results .* are already written by $work/real/q.tvd" "$work/err.txt" ||
  fail "no refusal line for the alias: $(cat "$work/err.txt")"
"$batch" "$work/real/q.tvd" "$work/real/./q.tvd" >/dev/null 2>&1 && fail "a project under two spellings must be refused"

# 6. Two calls at once on q.tvd and q.dat: the second is refused while the
# first runs, and the first's set is whole.
slow_group_deck > "$work/real/q.tvd"
md5sum "$work"/real/q.tv[opj] > "$work/q.sums"
"$batch" "$work/real/q.tvd" >/dev/null 2>&1 &
first=$!
for _ in $(seq 100); do [ -e "$work/real/q.tvo.lock" ] && break; sleep 0.05; done
[ -e "$work/real/q.tvo.lock" ] || fail "no lock beside the project while it runs"
status=0
"$batch" "$work/real/q.dat" >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "a second call on the same results set must be refused, not $status"
grep -q "is being analysed by another run" "$work/err.txt" || fail "no line for the second call: $(cat "$work/err.txt")"

# 8. SIGKILL of terva-batch during that run: its working folder stays until
# the next start of any of our programs, which removes it; the old results
# are not touched.
kill -KILL "$first"
wait "$first" 2>/dev/null || true
sleep 0.5  # the child ends with its parent
[ -n "$(ls -A "$runs" 2>/dev/null)" ] || fail "expected the killed run's working folder (the test needs it)"
md5sum --quiet -c "$work/q.sums" || fail "a killed run changed the results"
"$batch" "$work/p.tvd" >/dev/null || fail "the run after the kill"
[ -z "$(ls -A "$runs" 2>/dev/null)" ] || fail "the killed run's working folder was not removed: $(ls "$runs")"
# its lock is stale: the next run of q takes it
sed -i 's/^2048,2,2$/40,20,20/' "$work/real/q.tvd"
"$batch" "$work/real/q.tvd" >/dev/null || fail "the lock of a killed run must not block the next"

# 7. A runs folder open to others: closed when it is the user's, refused
# when it is another user's.
chmod 0777 "$runs"
"$batch" "$work/p.tvd" >/dev/null || fail "a run with the user's own open runs folder"
[ $((8#$(stat -c %a "$runs") & 8#022)) -eq 0 ] || fail "the runs folder was not closed to others: $(stat -c %a "$runs")"
if [ "$(id -u)" -eq 0 ]; then
  chown 65534:65534 "$runs"
  chmod 0777 "$runs"
  save_set p
  status=0
  "$batch" "$work/p.tvd" >/dev/null 2>"$work/err.txt" || status=$?
  [ "$status" -eq 1 ] || fail "a runs folder of another user must be refused, not $status"
  grep -q "belongs to another user; the run is refused" "$work/err.txt" || fail "no refusal line: $(cat "$work/err.txt")"
  same_set p
fi

echo "file safety: all checks passed"
