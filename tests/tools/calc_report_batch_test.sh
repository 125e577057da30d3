#!/usr/bin/env bash
# terva-batch --report pdf|html: the PDF's text (pdftotext) holds the title,
# the page header, the springs and dashpots that --at prints for the same
# frequency, and a verdict for every check; the operating speed at a peak of
# the response fails the separation check with its margin; the fonts are
# embedded; Letter paper when asked; the HTML is well-formed XML and the same
# under comma-decimal locales; a run that fails writes no report and leaves
# the earlier one as it was.
set -euo pipefail
batch="$1"
examples="$2"
command -v pdftotext >/dev/null && command -v pdffonts >/dev/null ||
  { echo "skipped: pdftotext missing (poppler-utils; scripts/bootstrap.sh installs it)"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export LC_ALL=C.UTF-8  # A4 by default: a system that measures in metres
fail() { echo "FAILED: $*"; exit 1; }
cp "$examples/projects/pile-group-4.tvd" "$work/"
project="$work/pile-group-4.tvd"
pdf="$work/pile-group-4.report.pdf"

# No operating frequency set: the middle of the computed range, said so.
"$batch" --report pdf "$project" > "$work/out.txt" || fail "--report pdf: $(cat "$work/out.txt")"
grep -q "^  calculation report: $pdf$" "$work/out.txt" || fail "no report line: $(cat "$work/out.txt")"
grep -q "^    operating frequency 13 Hz assumed: the middle of the computed range" "$work/out.txt" ||
  fail "no assumed frequency: $(cat "$work/out.txt")"
for check in "(a) frequency separation at 13 Hz: " "(b) Centre of gravity at 13 Hz: amplitude not checked, velocity " \
             "(c) warnings at 13 Hz: "; do
  grep -qF "    $check" "$work/out.txt" || fail "no verdict $check: $(cat "$work/out.txt")"
done
pdftotext -layout "$pdf" "$work/pdf.txt"
grep -q "Turbine pedestal on four piles" "$work/pdf.txt" || fail "no title"
grep -q "Page 1 of [0-9]" "$work/pdf.txt" || fail "no page header"
grep -q "assumed: the" "$work/pdf.txt" || fail "the assumption is not in the report"
# a heading that opens a page is on that page alone: no hidden copy on the page before
for heading in "The foundation" "Springs and dashpots at the operating frequency"; do
  [ "$(grep -c "^$heading\$" "$work/pdf.txt")" -eq 1 ] || fail "\"$heading\" is not in the text once"
done
for check in "\(a\) Frequency separation: (PASS|FAIL)" "\(b\) Amplitude and velocity" "\(c\) Warnings"; do
  grep -qE "$check" "$work/pdf.txt" || fail "no $check in the PDF"
done
# every font embedded
pdffonts "$pdf" | awk 'NR > 2 && $(NF-4) != "yes" { bad = 1 } END { exit bad }' || fail "a font is not embedded: $(pdffonts "$pdf")"
pdfinfo "$pdf" | grep -q "Page size: *595 x 842" || fail "not A4 by default: $(pdfinfo "$pdf" | grep size)"

# At 1260 rpm on Letter: the constants are those --at prints.
"$batch" --at 1260rpm --report=pdf --paper letter "$project" > "$work/at.txt" || fail "--at --report: $(cat "$work/at.txt")"
pdftotext -layout "$pdf" "$work/pdf.txt"
pdfinfo "$pdf" | grep -q "Page size: *612 x 792" || fail "not Letter: $(pdfinfo "$pdf" | grep size)"
grep -q "131.88 rad/s (21 Hz, 1260 rpm)" "$work/pdf.txt" || fail "no operating frequency in the PDF"
constants=$(sed -n '/Springs and dashpots at/,/calculation report:/p' "$work/at.txt" | grep -oE "[0-9]\.[0-9]{4,5}E[+-][0-9]+")
[ "$(echo "$constants" | wc -l)" -ge 12 ] || fail "--at printed no constants: $(cat "$work/at.txt")"
for c in $constants; do grep -qF "$c" "$work/pdf.txt" || fail "$c of --at is not in the report"; done

# HTML: well-formed, pictures inside; the peak of the response found in it.
"$batch" --report html "$project" > /dev/null || fail "--report html"
python3 - "$work/pile-group-4.report.html" > "$work/peak.txt" <<'EOF' || fail "the HTML is not well-formed"
import re, sys, xml.etree.ElementTree as ET
text = open(sys.argv[1], encoding="utf-8").read()
ET.fromstring(text.encode("utf-8"))
assert text.count("data:image/svg+xml;base64,") == 5, "five pictures"
assert "figure:" not in text
# the first peak of the separation table: curve, rad/s, Hz, ...
print(re.search(r"<tr><td>U[^<]*</td><td class=\"n\">([0-9.]+)</td>", text).group(1))
EOF
peak=$(cat "$work/peak.txt")

# Under comma-decimal locales the same report, its date masked.
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../support/comma_locale.sh"
status=0
make_comma_locales "$work/locales" > "$work/locales.txt" || status=$?
if [ "$status" -eq 77 ]; then
  cat "$work/locales.txt"
elif [ "$status" -ne 0 ]; then
  fail "the comma-decimal locales: $(cat "$work/locales.txt")"
else
  masked() { sed -E 's#[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}#DATE#' "$1"; }
  masked "$work/pile-group-4.report.html" > "$work/c.html"
  for locale in $COMMA_LOCALES; do
    LOCPATH="$work/locales" LC_ALL="$locale" LANG="$locale" "$batch" --report html "$project" > /dev/null ||
      fail "$locale: --report html"
    cmp -s "$work/c.html" <(masked "$work/pile-group-4.report.html") || fail "$locale: another report than under C"
  done
fi

# The operating speed at that peak fails (a), with the margin.
"$batch" --at "${peak}rad/s" --report pdf "$project" > "$work/out.txt" || fail "--at peak: $(cat "$work/out.txt")"
grep -q "(a) frequency separation at .*: FAIL (least margin -20.0 %)" "$work/out.txt" ||
  fail "a resonance passed: $(cat "$work/out.txt")"
pdftotext -layout "$pdf" "$work/pdf.txt"
grep -q "(a) Frequency separation: FAIL" "$work/pdf.txt" || fail "no FAIL in the PDF"
grep -q -- "-20.0 %" "$work/pdf.txt" || fail "no margin in the PDF"

# A run that fails writes no report; the earlier one stays.
before=$(sha256sum < "$pdf")
sed -i 's/^FOUNDATION=PILE/FOUNDATION=NONE/' "$project"
status=0
"$batch" --report pdf "$project" > "$work/out.txt" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a failed run must give 1, not $status"
! grep -q "calculation report:" "$work/out.txt" || fail "a report after a failed run"
[ "$(sha256sum < "$pdf")" = "$before" ] || fail "the earlier report changed"

# Wrong options.
for wrong in "--report doc" "--paper a3 --report pdf"; do
  status=0
  "$batch" $wrong "$project" > /dev/null 2> "$work/err.txt" || status=$?
  [ "$status" -eq 2 ] || fail "$wrong must give 2, not $status"
done
echo "calc report batch: ok"
