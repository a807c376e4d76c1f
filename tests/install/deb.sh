#!/usr/bin/env bash
# Builds the Debian package from the build and checks it: its name, the fields and dependencies
# dpkg-deb shows, the files it holds, and no lintian errors.
#   deb.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/zrt48210_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = zrt48210 ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ -n "$(field Section)" ] && [ -n "$(field Priority)" ] && [ -n "$(field Maintainer)" ] \
  || fail "Section, Priority or Maintainer missing"
depends=$(field Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 qt6-qpa-plugins \
               fonts-ipafont-gothic qt6-translations-l10n; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
description=$(field Description)
grep -q "serial port" <<< "$description" || fail "no English description"
grep -q "シリアルポート" <<< "$description" || fail "no Japanese description"

contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
id=$(grep -o '[^/]*\.desktop$' <<< "$contents" | grep -v '\.station\.desktop$' \
     | sed 's/\.desktop$//')
icons=usr/share/icons/hicolor
for path in usr/bin/zrt48210 usr/bin/zrt48210-cli usr/bin/zrt48210-unitsim \
            usr/share/man/man1/zrt48210-unitsim.1.gz "usr/share/applications/$id.desktop" \
            usr/bin/zrt48210-station usr/share/man/man1/zrt48210-station.1.gz \
            "usr/share/applications/$id.station.desktop" \
            "usr/share/metainfo/$id.metainfo.xml" "$icons/48x48/apps/$id.png" \
            "$icons/scalable/apps/$id.svg" usr/share/man/man1/zrt48210.1.gz \
            usr/share/doc/zrt48210/copyright usr/share/doc/zrt48210/changelog.gz; do
  grep -qxF "./$path" <<< "$contents" || fail "the package lacks /$path"
done

lintian --fail-on error "$deb" > "$work/lintian.log" 2>&1 \
  || { cat "$work/lintian.log"; fail "lintian found errors"; }
grep -v "running with root privileges" "$work/lintian.log" || true
echo "package: $(basename "$deb") checked"
