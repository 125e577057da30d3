#!/usr/bin/env bash
# terva-batch runs a project in a working folder of its own, leaves the report
# beside the project, removes the folder, and exits non-zero when a run fails.
set -euo pipefail
batch="$1"
examples="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples/half-space.tvd" "$work/"
printf 'GRAVITY=32.2\nFOUNDATION=SLAB\nRUN\n' > "$work/bad.tvd"

out="$("$batch" "$work/half-space.tvd")"
grep -q "engine returned 0: analysis completed" <<<"$out"
grep -q "report: $work/half-space.tvo" <<<"$out"
grep -q "FOUNDATION TYPE - HALF-SPACE" "$work/half-space.tvo"
[ -f "$work/half-space.tvp" ]
if ls /tmp/terva-run-* >/dev/null 2>&1; then
  for d in /tmp/terva-run-*; do [ "$d" -ot "$work/half-space.tvo" ] || { echo "working folder left: $d"; exit 1; }; done
fi

if "$batch" "$work/half-space.tvd" "$work/bad.tvd" > "$work/out.txt"; then
  echo "a failing run must give a non-zero exit status"; exit 1
fi
grep -q "engine returned 3: fatal input error" "$work/out.txt"
if "$batch" "$work/missing.tvd" 2>/dev/null; then echo "a missing project must fail"; exit 1; fi
echo "terva-batch: all checks passed"
