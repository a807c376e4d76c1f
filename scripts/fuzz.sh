#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for the given number of
# seconds (default 10). New crashes are left as build-fuzz/crash-*: copy each into
# tests/fuzz/corpus/<target>/ once fixed, so that every test run replays it.
#   scripts/fuzz.sh          a short smoke run
#   scripts/fuzz.sh 600      a longer hunt
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
dir=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -DZRT_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  > /dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_dispatch fuzz_settingsfile fuzz_systemini \
  fuzz_session
for target in dispatch settingsfile systemini session; do
  work="$dir/corpus/$target"
  mkdir -p "$work"
  cp -n tests/fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  echo "fuzzing $target for ${seconds}s"
  (cd "$dir" && "./tests/fuzz_$target" -max_total_time="$seconds" -max_len=8192 \
      -print_final_stats=0 "corpus/$target" 2>&1 | grep -E '^(Done|==|SUMMARY)' || true)
  if ls "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* > /dev/null 2>&1; then
    echo "fuzz_$target found a failing input:" >&2
    ls "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* >&2 2>/dev/null || true
    exit 1
  fi
done
echo "fuzz smoke: no failing input"
