#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the tree a desktop expects: both
# programs, the menu entry and its icon in every size, the AppStream metainfo and the manual
# pages; runs the validators over them and asks each installed program for its version.
#   tree.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
for tool in desktop-file-validate appstreamcli identify groff; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr > /dev/null
usr="$work/root/usr"
id=$(basename "$(ls "$usr"/share/applications/*.desktop | grep -v '\.station\.desktop$')" .desktop)

programs=(zrt48210 zrt48210-cli zrt48210-unitsim zrt48210-station)
expected=()
for program in "${programs[@]}"; do
  expected+=("bin/$program" "share/man/man1/$program.1.gz")
done
expected+=("share/applications/$id.desktop" "share/applications/$id.station.desktop"
           "share/metainfo/$id.metainfo.xml"
           "share/icons/hicolor/scalable/apps/$id.svg"
           share/doc/zrt48210/copyright share/doc/zrt48210/changelog.gz
           share/doc/zrt48210-cli/copyright share/doc/zrt48210-cli/changelog.gz)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
done
actual=$(cd "$usr" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "installed files differ:
$(diff <(echo "$wanted") <(echo "$actual"))"

for size in "${sizes[@]}"; do
  got=$(identify -format '%m %wx%h' "$usr/share/icons/hicolor/${size}x$size/apps/$id.png")
  [ "$got" = "PNG ${size}x$size" ] || fail "the ${size}px icon is $got"
done

appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli"
# The window and the production station each have their menu entry.
for entry in "$id:zrt48210" "$id.station:zrt48210-station"; do
  desktop="$usr/share/applications/${entry%%:*}.desktop"
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
  grep -qx "Icon=$id" "$desktop" || fail "$desktop names another icon"
  grep -qx "Exec=${entry#*:}" "$desktop" || fail "$desktop starts another program"
  for key in Name Comment; do
    grep -q "^$key=." "$desktop" && grep -q "^$key\[ja\]=." "$desktop" \
      || fail "$desktop lacks an English or a Japanese $key"
  done
done
grep -qF "<release version=\"$version\"" "$usr/share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo's release is not $version"

for program in "${programs[@]}"; do
  page="$usr/share/man/man1/$program.1.gz"
  gzip -t "$page" || fail "$program.1.gz is not gzip"
  # Pages may hold Japanese: man reads them through preconv, as -k does.
  warnings=$(zcat "$page" | groff -k -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$program.1: $warnings"
  zcat "$page" | grep -q "^\.TH .*$version" || fail "$program.1 does not carry version $version"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$program" --version) \
    || fail "$program --version failed"
  [[ "$out" == *" $version"* ]] || fail "$program --version printed '$out'"
done
echo "install tree: ${#expected[@]} files, validators pass"
