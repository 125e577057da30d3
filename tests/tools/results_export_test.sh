#!/usr/bin/env bash
# terva-batch --export csv and --export json on the examples that have
# stiffness and damping rows or a harmonic response, read back by Python's csv
# and json modules against the graphic data files; --at on one of them.
set -euo pipefail
batch="$1"
examples="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
fail() { echo "FAILED: $*"; exit 1; }

names=(half-space parabolic-pile pile-group-3x3 pile-group stratum multilayer)
for name in "${names[@]}"; do cp "$examples/$name.tvd" "$work/"; done
"$batch" --export csv $(for n in "${names[@]}"; do printf '%s ' "$work/$n.tvd"; done) > "$work/csv.txt" ||
  fail "--export csv: $(cat "$work/csv.txt")"
grep -q "exported: $work/half-space.impedance.csv" "$work/csv.txt" || fail "no exported line"
"$batch" --export=json $(for n in "${names[@]}"; do printf '%s ' "$work/$n.tvd"; done) >/dev/null ||
  fail "--export json failed"
python3 "$here/results_readback.py" "$work" "${names[@]}"

# The springs and dashpots at a frequency: a table per project; outside the
# computed range, or without stiffness rows, a line and exit status 1.
"$batch" --at 1500 rpm "$work/half-space.tvd" > "$work/at.txt" || fail "--at 1500 rpm failed"
grep -q "^  Springs and dashpots at 157 rad/s (25 Hz, 1500 rpm)" "$work/at.txt" || fail "no table heading: $(cat "$work/at.txt")"
grep -qE "^  ppy rocking +[0-9.]+E\+[0-9]+ lb-ft/rad +[0-9.]+E\+[0-9]+ lb-ft-s/rad +0\.[0-9]{4}$" "$work/at.txt" ||
  fail "no rocking line"
status=0
"$batch" --at 100Hz "$work/half-space.tvd" "$work/pile-group.tvd" > "$work/at.txt" 2> "$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "--at outside the range must give 1, not $status"
grep -q "half-space.tvd: no springs and dashpots: 628 rad/s (100 Hz) is outside the computed range 10 to 300 rad/s" \
  "$work/err.txt" || fail "no outside-the-range line: $(cat "$work/err.txt")"
grep -q "pile-group.tvd: no springs and dashpots: .*MATRIX option" "$work/err.txt" || fail "no MATRIX line"
echo "results export: all checks passed"
