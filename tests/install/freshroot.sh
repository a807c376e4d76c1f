#!/usr/bin/env bash
# Installs the command line's package alone into a fresh Debian 12 root, its dependencies
# through apt in that root, and runs it there against the practice unit: find, identify, read
# and write --verify succeed, and no Qt Gui or Widgets library came with it. Then, in the same
# root, builds the command line and the practice unit from the sources without the windows, with
# Qt's Gui and Widgets libraries, headers and CMake files and fontconfig taken away.
#   freshroot.sh BUILD_DIR VERSION SOURCE_DIR
# The bare root (apt and what it needs) is made once from this machine's apt sources and kept
# as a tarball in BUILD_DIR/fresh-root for a week; making it took 40 s on a quiet machine and up
# to four minutes beside a build.
set -euo pipefail
build=$1
version=$2
source=$3
[ "$(id -u)" -eq 0 ] || { echo "skipped: a root to chroot into needs root"; exit 77; }
for tool in cpack dpkg-deb dpkg-shlibdeps mmdebstrap unshare chroot; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
sources=()
for file in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
  [ -s "$file" ] && sources+=("$file")
done
[ ${#sources[@]} -gt 0 ] || { echo "skipped: no Debian apt sources on this machine"; exit 77; }
work=$(mktemp -d)
# The root's mounts live in a mount namespace of their own and end with it.
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
SECONDS=0

cpack --config "$build/CPackConfig.cmake" -B "$work/deb" -D CPACK_COMPONENTS_ALL=cli \
  > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/deb/zrt48210-cli_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/deb")"

cache="$build/fresh-root/bookworm-apt.tar"
find "$cache" -mtime +7 -delete 2> /dev/null || true
if [ ! -f "$cache" ]; then
  mkdir -p "$(dirname "$cache")"
  # The lists stay in the root for its apt; unsafe I/O only for this throw-away root.
  part="${cache%.tar}.part.tar"
  mmdebstrap --variant=apt --format=tar --skip=cleanup/apt/lists \
             --dpkgopt=force-unsafe-io bookworm "$part" "${sources[@]}" \
             > "$work/mmdebstrap.log" 2>&1 \
    || { tail -20 "$work/mmdebstrap.log"; fail "mmdebstrap"; }
  mv "$part" "$cache" || fail "cannot keep $cache"
  echo "made the bare root in $SECONDS s"
fi

root="$work/root"
mkdir "$root"
tar -C "$root" -xf "$cache" || fail "cannot unpack $cache"
cp "$deb" "$root/tmp/" || fail "cannot copy the package"
# apt in the root reaches the mirror by the machine's name servers.
cp -L /etc/resolv.conf "$root/etc/resolv.conf" || fail "cannot copy resolv.conf"

cat > "$root/tmp/run.sh" << 'EOF' || fail "cannot write the script"
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq -o Dpkg::Options::=--force-unsafe-io /tmp/zrt48210-cli_*.deb \
  > /tmp/apt.log 2>&1 || { cat /tmp/apt.log; exit 1; }
zrt48210-unitsim --link /tmp/u > /tmp/unitsim.log 2>&1 &
unit=$!
trap 'kill $unit 2> /dev/null || true' EXIT
tries=0
until [ -e /tmp/u ]; do
  tries=$((tries + 1))
  [ $tries -le 50 ] || { echo "the practice unit did not start:"; cat /tmp/unitsim.log; exit 1; }
  sleep 0.1
done
for command in "find" "identify" "read -o /tmp/s.txt" "write /tmp/s.txt --verify"; do
  echo "\$ zrt48210-cli $command --port /tmp/u"
  # Word splitting is wanted: each command is its verb and arguments.
  # shellcheck disable=SC2086
  zrt48210-cli $command --port /tmp/u || { echo "zrt48210-cli $command: status $?"; exit 1; }
done
EOF
in_root() {  # SCRIPT LOG: runs the script in the root
  # A fresh root inherits nothing of this machine's environment either.
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    unshare --mount --propagation private --fork bash -c '
    set -eu
    mount -t proc proc "$1/proc"
    mount --rbind /dev "$1/dev"
    exec chroot "$1" /bin/sh "$2"' unshare "$root" "$1" > "$2" 2>&1
}
in_root /tmp/run.sh "$work/run.log" \
  || { cat "$work/run.log"; fail "the command line in the fresh root"; }
cat "$work/run.log"
grep -q "^/tmp/u .*ZRT48210  Ver" "$work/run.log" || fail "find found no unit"
grep -qE "^model +48210$" "$work/run.log" || fail "identify named no unit 48210"
[ "$(wc -l < "$root/tmp/s.txt")" -ge 18 ] || fail "read saved $(wc -l < "$root/tmp/s.txt") lines"

for package in libqt6gui6 libqt6widgets6 zrt48210; do
  if chroot "$root" dpkg-query -W -f='${Status}' "$package" 2> /dev/null \
       | grep -q "ok installed"; then
    fail "$package got installed with zrt48210-cli"
  fi
done
found=$(find "$root/usr/lib" -name 'libQt6Gui.so*' -o -name 'libQt6Widgets.so*')
[ -z "$found" ] || fail "Qt Gui or Widgets in the root: $found"
echo "fresh root: zrt48210-cli alone installed and ran, without Qt Gui or Widgets, in $SECONDS s"

mkdir "$root/tmp/src" || fail "cannot make the source folder"
tar -C "$source" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$root/tmp/src" -xf - \
  || fail "cannot copy the sources"
cat > "$root/tmp/build.sh" << 'EOF' || fail "cannot write the build script"
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends -o Dpkg::Options::=--force-unsafe-io \
  cmake g++ make qt6-base-dev qt6-serialport-dev > /tmp/apt.log 2>&1 \
  || { cat /tmp/apt.log; exit 1; }
# Qt's development package pulls in Gui and Widgets; take them away again, with everything a
# build could find them by.
dpkg --purge --force-depends libqt6widgets6 libqt6gui6 libqt6openglwidgets6 libqt6opengl6 \
  libqt6printsupport6 qt6-qpa-plugins fontconfig fontconfig-config libfontconfig1 \
  > /tmp/purge.log 2>&1 || { cat /tmp/purge.log; exit 1; }
lib=/usr/lib/x86_64-linux-gnu
for module in Gui Widgets OpenGL OpenGLWidgets PrintSupport; do
  rm -rf "/usr/include/x86_64-linux-gnu/qt6/Qt$module" "$lib/cmake/Qt6$module"* \
         "$lib/libQt6$module".*
done
cmake -S /tmp/src -B /tmp/nogui -DZRT_GUI=OFF -DBUILD_TESTING=OFF > /tmp/cmake.log 2>&1 \
  || { cat /tmp/cmake.log; exit 1; }
cmake --build /tmp/nogui -j "$(nproc)" --target zrt48210-cli zrt48210-unitsim \
  > /tmp/make.log 2>&1 || { tail -40 /tmp/make.log; exit 1; }
/tmp/nogui/zrt48210-cli --version
EOF
in_root /tmp/build.sh "$work/build.log" \
  || { cat "$work/build.log"; fail "the build without the windows"; }
found=$(find "$root/usr" -name 'libQt6Gui.so*' -o -name 'libQt6Widgets.so*' -o -name QtWidgets \
        -o -name 'libfontconfig.so*')
[ -z "$found" ] || fail "Qt Gui, Widgets or fontconfig left in the root: $found"
grep -qx "zrt48210-cli $version" "$work/build.log" \
  || fail "the command line built there: $(cat "$work/build.log")"
echo "fresh root: the command line built without Qt Gui, Widgets or fontconfig, in $SECONDS s"
