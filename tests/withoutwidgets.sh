#!/usr/bin/env bash
# A build configured with -DZRT_GUI=OFF never looked for Qt Gui, Qt Widgets, fontconfig or xcb,
# and its programs load none of them.
#   withoutwidgets.sh BUILD_DIR PROGRAM...
set -euo pipefail
build=$1
shift
command -v ldd > /dev/null || { echo "skipped: ldd is not installed"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# Every package CMake looked for leaves its folder in the cache.
found=$(grep -E '^(Qt6(Gui|Widgets|OpenGL)_DIR|Fontconfig_|XCB_)[A-Z_]*:' \
          "$build/CMakeCache.txt" || true)
[ -z "$found" ] || fail "the configuration looked for GUI libraries: $found"
grep -q '^Qt6Core_DIR:' "$build/CMakeCache.txt" || fail "no Qt6Core_DIR: not a Qt build?"

for program in "$@"; do
  libraries=$(ldd "$program") || fail "ldd $program"
  grep -q 'libQt6Core\.so' <<< "$libraries" || fail "$program: no Qt Core in ldd's output"
  if grep -E 'libQt6(Gui|Widgets|OpenGL)|libfontconfig|libxcb' <<< "$libraries"; then
    fail "$(basename "$program") loads a GUI library"
  fi
  echo "$(basename "$program"): Qt Core without Gui or Widgets"
done
