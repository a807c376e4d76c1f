#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the suite, a short fuzz smoke run, and
# the suite again built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"

scripts/fuzz.sh 10

scripts/build.sh build-asan -DZRT_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
