#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the suite, the command line built without
# widgets, a short fuzz smoke run, and the suite again built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"

# The command line and the practice unit alone, as a headless bench PC builds them. The packages
# were checked, and installed in a fresh root, from the build above.
scripts/build.sh build-nogui -DZRT_GUI=OFF
ctest --test-dir build-nogui --output-on-failure -j "$(nproc)" -E '^(package|fresh_root)$'

scripts/fuzz.sh 10

scripts/build.sh build-asan -DZRT_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
