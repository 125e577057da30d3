#!/usr/bin/env bash
# The engine library called through the system's loader alone
# (terva-engine-check) on every bundled example, its report, graphic data file
# and results file byte for byte against the reference copies (dates and
# times masked). With RUNNER "wine" the check program and the library are the
# Windows build, run under Wine; the paths it is given are then Windows paths.
#
#   engine_check_test.sh RUNNER CHECK LIBRARY EXAMPLES REFERENCE [--locale NAME]
#
# RUNNER is "" to run CHECK directly. Exits 0 when every example is
# byte-identical, 1 otherwise.
set -euo pipefail
runner="$1"
check="$2"
library="$3"
examples="$4"
reference="$5"
shift 5
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

path() {  # a path as the check program takes it
  if [ -n "$runner" ]; then winepath -w "$1" 2>/dev/null; else printf '%s\n' "$1"; fi
}
reference_of() {  # results files lie apart: a .tvj beside a .tvp would be read with it
  if [ "$2" = tvj ]; then printf '%s\n' "$reference/results/$1.tvj"; else printf '%s\n' "$reference/$1.$2"; fi
}
mask() {
  sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{4}#MM/DD/YYYY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g' "$1"
}

status=0
$runner "$check" "$(path "$library")" "$(path "$examples")" "$(path "$work")" "$@" | tr -d '\r' || status=$?
failed=0
[ "$status" -eq 0 ] || { echo "terva-engine-check exited with $status"; failed=1; }
compared=0
for project in "$examples"/*.tvd; do
  name="$(basename "$project" .tvd)"
  for ext in tvo tvp tvj; do
    got="$work/$name/output.$ext"
    [ -f "$got" ] || { echo "$name.$ext: not written"; failed=1; continue; }
    mask "$got" > "$got.masked"
    if ! cmp -s "$got.masked" "$(reference_of "$name" "$ext")"; then
      echo "$name.$ext differs from its reference:"
      diff "$(reference_of "$name" "$ext")" "$got.masked" | head -20 || true
      failed=1
    fi
    compared=$((compared + 1))
  done
done
[ "$failed" -eq 0 ] && echo "engine check: $compared files of every example byte-identical to the references"
exit "$failed"
