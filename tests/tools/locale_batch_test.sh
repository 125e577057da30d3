#!/usr/bin/env bash
# terva-batch under comma-decimal locales (de_DE.UTF-8, fr_FR.UTF-8, made by
# localedef in this test's folder): every bundled example gives the C
# locale's report (dates and times masked), graphic data file and results
# file byte for byte, the same printed lines (the response table heads, the
# springs and dashpots of --at) and the same exports, and the summary's times
# print with "." ("0.02 s", never "0,02 s").
#
#   locale_batch_test.sh TERVA-BATCH EXAMPLES
set -euo pipefail
batch="$1"
examples="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
fail() { echo "FAILED: $*"; exit 1; }
mask() { sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{4}#MM/DD/YYYY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g' "$1"; }

. "$here/../support/comma_locale.sh"
status=0
make_comma_locales "$work/locales" || status=$?
[ "$status" -eq 0 ] || exit "$status"

projects=("$examples"/*.tvd "$examples"/projects/*.tvd)
[ "${#projects[@]}" -ge 13 ] || fail "examples missing: ${projects[*]}"

# One folder per locale with copies of every example, run three ways:
# analysed, exported as CSV, exported as JSON (each call runs them again).
run() {  # run LOCALE FOLDER
  local locale="$1" dir="$work/$2" p
  mkdir -p "$dir"
  for p in "${projects[@]}"; do cp "$p" "$dir/"; done
  LOCPATH="$work/locales" LC_ALL="$locale" LANG="$locale" "$batch" -j 2 "$dir"/*.tvd > "$dir.run.txt" ||
    fail "$locale: the examples failed: $(cat "$dir.run.txt")"
  LOCPATH="$work/locales" LC_ALL="$locale" "$batch" --export csv "$dir"/*.tvd > "$dir.csv.txt" ||
    fail "$locale: --export csv failed"
  LOCPATH="$work/locales" LC_ALL="$locale" "$batch" --export json "$dir"/*.tvd > "$dir.json.txt" ||
    fail "$locale: --export json failed"
  LOCPATH="$work/locales" LC_ALL="$locale" "$batch" --at 157.08rad/s "$dir/half-space.tvd" > "$dir.at.txt" ||
    fail "$locale: --at failed"
}
# The printed lines with the folder and the times left out.
lines() {  # lines FILE FOLDER
  sed -E "s#$work/$2#X#g; s#[0-9]+[.,][0-9]+ s( |\$)#T s\\1#g" "$1"
}

run C c
for p in "${projects[@]}"; do
  name="$(basename "$p" .tvd)"
  for ext in tvo tvp tvj; do [ -s "$work/c/$name.$ext" ] || fail "C: $name.$ext not written"; done
done
ls "$work/c"/*.csv "$work/c"/*.results.json > /dev/null 2>&1 || fail "C: nothing exported"

for locale in $COMMA_LOCALES; do
  dir="${locale%%.*}"
  run "$locale" "$dir"
  for p in "${projects[@]}"; do
    name="$(basename "$p" .tvd)"
    cmp -s <(mask "$work/c/$name.tvo") <(mask "$work/$dir/$name.tvo") || {
      diff <(mask "$work/c/$name.tvo") <(mask "$work/$dir/$name.tvo") | head -10
      fail "$locale: $name.tvo differs from the C locale's"
    }
    for ext in tvp tvj; do
      cmp "$work/c/$name.$ext" "$work/$dir/$name.$ext" || fail "$locale: $name.$ext differs from the C locale's"
    done
  done
  # Every export file of the C locale, and no other.
  diff <(cd "$work/c" && ls | grep -E '\.(csv|json)$') <(cd "$work/$dir" && ls | grep -E '\.(csv|json)$') ||
    fail "$locale: other export files than the C locale's"
  for f in $(cd "$work/c" && ls | grep -E '\.(csv|json)$'); do  # the JSON names the files by path
    cmp -s <(sed "s#$work/c/#X/#g" "$work/c/$f") <(sed "s#$work/$dir/#X/#g" "$work/$dir/$f") ||
      fail "$locale: $f differs from the C locale's"
  done
  for what in run csv json at; do
    diff <(lines "$work/c.$what.txt" c) <(lines "$work/$dir.$what.txt" "$dir") ||
      fail "$locale: terva-batch ${what} printed other lines than under C"
  done
  # Times with a decimal point: the summary's total and one per project.
  summary="$(sed -n '/^summary:/,$p' "$work/$dir.run.txt")"
  grep -qE "^summary: 13 projects, 13 analysed without errors, 0 not, [0-9]+\.[0-9]{2} s\$" <<<"$summary" ||
    fail "$locale: no summary line with a decimal point: $summary"
  [ "$(grep -cE "^  0  analysis completed +[0-9]+\.[0-9]{2} s  $work/$dir/" <<<"$summary")" -eq 13 ] ||
    fail "$locale: not every project's time printed with a decimal point: $summary"
  ! grep -qE '[0-9],[0-9]' "$work/$dir.run.txt" "$work/$dir.at.txt" || fail "$locale: a comma-decimal number printed"
done
echo "terva-batch under comma-decimal locales: every example byte-identical with the C locale's"
