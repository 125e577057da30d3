#!/usr/bin/env bash
# terva-batch --export csv and --export json on the examples, read back by
# Python's csv and json modules against the engine's results files (and the
# graphic data files against those); --at on some of them.
set -euo pipefail
batch="$1"
examples="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
fail() { echo "FAILED: $*"; exit 1; }

# with MATRIX (half-space, parabolic-pile, pile-group-3x3) and without; harmonic, transient, random
names=(half-space parabolic-pile pile-group-3x3 pile-group stratum multilayer transient random)
for name in "${names[@]}"; do cp "$examples/$name.tvd" "$work/"; done
cp "$examples/projects/compressor-half-space.tvd" "$work/"
"$batch" --export csv $(for n in "${names[@]}"; do printf '%s ' "$work/$n.tvd"; done) > "$work/csv.txt" ||
  fail "--export csv: $(cat "$work/csv.txt")"
grep -q "exported: $work/half-space.impedance.csv" "$work/csv.txt" || fail "no exported line"
grep -q "exported: $work/pile-group.impedance.csv" "$work/csv.txt" || fail "no impedance without MATRIX"
"$batch" --export=json $(for n in "${names[@]}"; do printf '%s ' "$work/$n.tvd"; done) >/dev/null ||
  fail "--export json failed"
python3 "$here/results_readback.py" "$work" "${names[@]}"

# The springs and dashpots at a frequency: a table per project; outside the
# computed range a line and exit status 1.
"$batch" --at 1500 rpm "$work/half-space.tvd" > "$work/at.txt" || fail "--at 1500 rpm failed"
grep -q "^  Springs and dashpots at 157 rad/s (25 Hz, 1500 rpm)" "$work/at.txt" || fail "no table heading: $(cat "$work/at.txt")"
grep -qE "^  ppy rocking +[0-9.]+E\+[0-9]+ lb-ft/rad +[0-9.]+E\+[0-9]+ lb-ft-s/rad +0\.[0-9]{4}$" "$work/at.txt" ||
  fail "no rocking line"
status=0
"$batch" --at 100Hz "$work/half-space.tvd" "$work/pile-group.tvd" > "$work/at.txt" 2> "$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "--at outside the range must give 1, not $status"
grep -q "half-space.tvd: no springs and dashpots: 628 rad/s (100 Hz) is outside the computed range 10 to 300 rad/s" \
  "$work/err.txt" || fail "no outside-the-range line: $(cat "$work/err.txt")"
grep -q "pile-group.tvd: no springs and dashpots: 628 rad/s (100 Hz) is outside the computed range 20 to 400 rad/s" \
  "$work/err.txt" || fail "no outside-the-range line without MATRIX: $(cat "$work/err.txt")"
# without MATRIX, inside the range: the results file's constants
"$batch" --at 5Hz "$work/pile-group.tvd" > "$work/at.txt" || fail "--at 5Hz without MATRIX failed: $(cat "$work/at.txt")"
grep -q "^  Springs and dashpots at 31.4 rad/s (5 Hz, 300 rpm)" "$work/at.txt" || fail "no table without MATRIX"
grep -qE "^  ww  vertical +[0-9.]+E\+[0-9]+ lb/ft " "$work/at.txt" || fail "no vertical line without MATRIX"

# The lowest, the highest and an inner computed frequency of a range in Hz
# (2 to 50 Hz in steps of 2): each found as a computed frequency, not
# interpolated and not outside the range, whichever Hz rule rounds them.
for at in 2Hz 50Hz 4Hz; do
  "$batch" --at "$at" "$work/compressor-half-space.tvd" > "$work/at.txt" 2> "$work/err.txt" ||
    fail "--at $at on compressor-half-space: $(cat "$work/err.txt")"
  grep -q "^  Springs and dashpots at .*(${at%Hz} Hz, " "$work/at.txt" || fail "--at $at: no table heading"
  grep -qx "  a computed frequency" "$work/at.txt" || fail "--at $at is not a computed frequency: $(grep -A1 Springs "$work/at.txt")"
done
# Every computed frequency, typed as the report prints it in Hz, gives the
# report's eight stiffness and eight damping constants (six digits) there.
python3 - "$batch" "$work/compressor-half-space.tvd" "$work/compressor-half-space.tvo" <<'PY' || fail "--at does not give the report's constants"
import re, subprocess, sys
batch, project, report = sys.argv[1:]
text = open(report, encoding="latin-1").read()
blocks = re.split(r"\n FREQUENCY  -  ", text)[1:]
assert len(blocks) == 25, len(blocks)
for block in blocks:
    hz = block.split()[0]
    printed = [float(v) for v in re.findall(r"\.\. *(-?\d\.\d{5}E[+-]\d\d)", block)][:16]
    out = subprocess.run([batch, "--at", hz + "Hz", project], capture_output=True, text=True).stdout
    assert "  a computed frequency" in out, (hz, out)
    table = [float(v) for v in re.findall(r"(-?\d\.\d{5}E[+-]\d\d) ", out)]
    k, c = table[0::2], table[1::2]
    if k + c != printed:
        sys.exit(f"at {hz} Hz: {k + c} against the report's {printed}")
print(f"--at: the report's constants at all {len(blocks)} computed frequencies")
PY
echo "results export: all checks passed"
