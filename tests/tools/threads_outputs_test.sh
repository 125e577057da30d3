#!/usr/bin/env bash
# The frequency loop on worker threads writes what the serial loop writes:
# every example and a 64-pile group with interaction, run with TERVA_THREADS=1
# and TERVA_THREADS=4, reports and graphic data files compared byte for byte
# (dates and times masked).
#
#   threads_outputs_test.sh TERVA-BATCH EXAMPLES
set -euo pipefail
batch="$1"
examples="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mask() {
  sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{4}#MM/DD/YYYY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g' "$1"
}

mkdir -p "$work/inputs"
cp "$examples"/*.tvd "$work/inputs/"
# 8 x 8 fixed-head piles with interaction, over 40 frequencies, with the constants report
{
  printf 'TITLE\nGROUP OF 64 PILES WITH INTERACTION\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=30.0,30.0\n'
  printf 'MASS=3000,5E5,5E5,9E5,0,0,0\nLAYERS=3\nFIXED=64\n'
  for i in $(seq 0 63); do
    printf '%d, %s, %s\n' $((i + 1)) "$(( (i % 8) * 4 - 14 )).0" "$(( (i / 8) * 4 - 14 )).0"
  done
  printf 'CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n'
  printf '1,10,0.5,0.5,0.785,0.049,0.049,0.098\n2,10,0.5,0.5,0.785,0.049,0.049,0.098\n'
  printf '3,10,0.5,0.5,0.785,0.049,0.049,0.098\nINTERACTION\n'
  printf 'SOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\nBELOW=900,125,0.35,0.05\n'
  printf 'LOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n400,10,10\n1000,1000,1000,0,0,0\nRUN\n'
} > "$work/inputs/group-64.tvd"

failed=0
for threads in 1 4; do
  mkdir -p "$work/$threads"
  cp "$work/inputs"/*.tvd "$work/$threads/"
  for project in "$work/$threads"/*.tvd; do
    TERVA_THREADS=$threads "$batch" "$project" >/dev/null || true
  done
done
for project in "$work/inputs"/*.tvd; do
  name="$(basename "$project" .tvd)"
  for ext in tvo tvp; do
    for threads in 1 4; do
      [ -s "$work/$threads/$name.$ext" ] || { echo "$name.$ext: not written with $threads threads"; failed=1; }
    done
    [ -s "$work/1/$name.$ext" ] && [ -s "$work/4/$name.$ext" ] || continue
    if ! cmp -s <(mask "$work/1/$name.$ext") <(mask "$work/4/$name.$ext"); then
      echo "$name.$ext differs between 1 and 4 threads:"
      diff <(mask "$work/1/$name.$ext") <(mask "$work/4/$name.$ext") | head -20
      failed=1
    fi
  done
done
grep -q "CROSS-STIFFNESS" "$work/1/group-64.tvo" || { echo "group-64.tvo: no constants reported"; failed=1; }
[ "$failed" -eq 0 ] && echo "threads: every output byte-identical with 1 and 4 threads"
exit "$failed"
