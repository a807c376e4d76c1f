#!/usr/bin/env bash
# Builds the Debian packages from the build and checks each: its name, the fields and
# dependencies dpkg-deb shows, the files it holds, and no lintian errors. The command line's
# package needs no GUI library; the window's needs the command line's of the same version.
#   deb.sh BUILD_DIR VERSION PACKAGE...
set -euo pipefail
build=$1
version=$2
shift 2
packages=("$@")
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
built=$(cd "$work" && ls ./*.deb | sed 's|^\./||' | sort)
wanted=$(for package in "${packages[@]}"; do echo "${package}_${version}_$arch.deb"; done | sort)
[ "$built" = "$wanted" ] || fail "cpack built $(echo $built), not $(echo $wanted)"

# check PACKAGE DEPENDS-ON... -- NOT-DEPENDS-ON... -- FILE...: fields, dependencies, contents.
check() {
  local package=$1 deb="$work/${1}_${version}_$arch.deb"
  shift
  field() { dpkg-deb --field "$deb" "$1"; }
  [ "$(field Package)" = "$package" ] || fail "Package: $(field Package)"
  [ "$(field Version)" = "$version" ] || fail "$package Version: $(field Version)"
  [ -n "$(field Section)" ] && [ -n "$(field Priority)" ] && [ -n "$(field Maintainer)" ] \
    || fail "$package: Section, Priority or Maintainer missing"
  local depends description contents
  depends=$(field Depends)
  while [ "$1" != -- ]; do
    [[ ", $depends," == *", $1"[\ ,]* ]] || fail "$package Depends lacks $1: $depends"
    shift
  done
  shift
  while [ "$1" != -- ]; do
    [[ ", $depends," != *", $1"[\ ,]* ]] || fail "$package depends on $1: $depends"
    shift
  done
  shift
  description=$(field Description)
  grep -q "serial port" <<< "$description" || fail "$package: no English description"
  grep -q "シリアルポート" <<< "$description" || fail "$package: no Japanese description"
  contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
  for path in "$@" "usr/share/doc/$package/copyright" "usr/share/doc/$package/changelog.gz"; do
    grep -qxF "./$path" <<< "$contents" || fail "$package lacks /$path"
  done
  # Each file in one package only: the window's package holds no command-line program.
  owned+=$(grep -v '/$' <<< "$contents")$'\n'
  lintian --fail-on error "$deb" > "$work/lintian.log" 2>&1 \
    || { cat "$work/lintian.log"; fail "lintian found errors in $package"; }
  grep -v "running with root privileges" "$work/lintian.log" || true
  echo "package: $(basename "$deb") checked"
}

owned=
man=usr/share/man/man1
for package in "${packages[@]}"; do
  case $package in
    zrt48210-cli)
      check zrt48210-cli libqt6core6 libqt6serialport6 -- libqt6gui6 libqt6widgets6 \
            qt6-qpa-plugins fonts-ipafont-gothic -- usr/bin/zrt48210-cli \
            usr/bin/zrt48210-unitsim "$man/zrt48210-cli.1.gz" "$man/zrt48210-unitsim.1.gz"
      ;;
    zrt48210)
      id=jp.zrt.zrt48210
      icons=usr/share/icons/hicolor
      check zrt48210 "zrt48210-cli (= $version)" libqt6core6 libqt6gui6 libqt6widgets6 \
            qt6-qpa-plugins fonts-ipafont-gothic qt6-translations-l10n -- -- \
            usr/bin/zrt48210 usr/bin/zrt48210-station "$man/zrt48210.1.gz" \
            "$man/zrt48210-station.1.gz" "usr/share/applications/$id.desktop" \
            "usr/share/applications/$id.station.desktop" \
            "usr/share/metainfo/$id.metainfo.xml" "$icons/48x48/apps/$id.png" \
            "$icons/scalable/apps/$id.svg"
      ;;
    *) fail "no checks for $package" ;;
  esac
done
twice=$(sort <<< "$owned" | uniq -d | grep . || true)
[ -z "$twice" ] || fail "files in more than one package: $twice"
