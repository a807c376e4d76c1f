#!/usr/bin/env bash
# Builds the Debian packages build-package/zrt48210-cli_<version>_<architecture>.deb (the
# command line and the practice unit, no desktop needed) and build-package/zrt48210_*.deb (the
# window and the station) with Debian's hardening flags, checks them with lintian and prints
# their paths. Install both with
#   sudo apt install ./build-package/zrt48210-cli_*.deb ./build-package/zrt48210_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
dir=build-package
rm -rf "$dir"
# The compiler and linker flags a package built by dpkg-buildpackage gets.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
(cd "$dir" && cpack > cpack.log 2>&1) || { cat "$dir/cpack.log"; exit 1; }
debs=("$dir"/zrt48210-cli_*.deb "$dir"/zrt48210_*.deb)
lintian --fail-on error "${debs[@]}"
printf '%s\n' "${debs[@]}"
