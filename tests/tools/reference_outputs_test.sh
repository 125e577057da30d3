#!/usr/bin/env bash
# The bundled examples' reports, graphic data files and results files, byte for byte, against
# reference copies (dates and times masked). A change that alters a single
# printed character of an example shows here.
#
#   reference_outputs_test.sh TERVA-BATCH EXAMPLES REFERENCE [--update]
set -euo pipefail
batch="$1"
examples="$2"
reference="$3"
update="${4:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

reference_of() {  # results files lie apart: a .tvj beside a .tvp would be read with it
  if [ "$2" = tvj ]; then printf '%s\n' "$reference/results/$1.tvj"; else printf '%s\n' "$reference/$1.$2"; fi
}
mask() {
  sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{4}#MM/DD/YYYY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g' "$1"
}

failed=0
for project in "$examples"/*.tvd; do
  name="$(basename "$project" .tvd)"
  cp "$project" "$work/$name.tvd"
  "$batch" "$work/$name.tvd" >/dev/null || true
  for ext in tvo tvp tvj; do
    [ -f "$work/$name.$ext" ] || { echo "$name.$ext: not written"; failed=1; continue; }
    mask "$work/$name.$ext" > "$work/$name.$ext.masked"
    if [ "$update" = "--update" ]; then
      cp "$work/$name.$ext.masked" "$(reference_of "$name" "$ext")"
    elif ! cmp -s "$work/$name.$ext.masked" "$(reference_of "$name" "$ext")"; then
      echo "$name.$ext differs from its reference:"
      diff "$(reference_of "$name" "$ext")" "$work/$name.$ext.masked" | head -20 || true  # every example is reported
      failed=1
    fi
  done
done
[ "$failed" -eq 0 ] && echo "reference outputs: every example byte-identical"
exit "$failed"
