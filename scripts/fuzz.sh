#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for a bounded
# time (FUZZ_SECONDS, default 60) on a scratch copy of its committed corpus.
# Fails on any finding; the crashing input is left in build-fuzz/findings/
# to become a regression input under tests/fuzz/corpus/<target>/.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-${FUZZ_SECONDS:-60}}"
for p in clang libclang-rt-14-dev; do
  dpkg -s "$p" >/dev/null 2>&1 || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev >/dev/null; break; }
done
targets=(iterva_fuzz project_reader_fuzz graphic_reader_fuzz)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"
findings="$PWD/build-fuzz/findings"
mkdir -p "$findings"
status=0
for target in "${targets[@]}"; do
  scratch="$(mktemp -d)"
  cp -r "tests/fuzz/corpus/$target/." "$scratch/"
  echo "fuzz: $target for ${seconds} s"
  if ! (cd "$findings" && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$OLDPWD/build-fuzz/bin/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -print_final_stats=1 "$scratch" 2>"$findings/$target.log"); then
    echo "fuzz: $target FOUND A FAULT:"; tail -40 "$findings/$target.log"; status=1
  fi
  grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$findings/$target.log" | sed "s/^/  $target: /" || true
  rm -rf "$scratch"
done
exit "$status"
