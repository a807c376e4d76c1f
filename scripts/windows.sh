#!/usr/bin/env bash
# Builds the Windows programs zrt48210.exe, zrt48210-cli.exe and zrt48210-station.exe on
# Debian 12 with MinGW-w64 from the same CMake files as Linux, tests them under Wine, and makes
# the installer build-win/zrt48210-setup-<version>.exe and the portable zip
# build-win/zrt48210-<version>-windows-x64.zip. Prints where each one is.
#
#   bash scripts/windows.sh [--qt QT] [--qtserialport-source TARBALL] [--no-tests]
#
# QT is a Qt 6.4.2 for MinGW: a folder, or a .tar.xz unpacked once into the cache
# (~/.cache/zrt48210/qt-6.4.2-mingw64). Without one, ../shared/windows/qt-6.4.2-mingw64.tar.xz
# is taken where it exists; otherwise Qt is built once into the cache (about 40 minutes on two
# cores): qtbase from Debian's source of qt6-base, qtserialport 6.4.2 from TARBALL (default
# ../shared/windows/qtserialport-everywhere-src-6.4.2.tar.xz).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(zrt48210 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
qt_version=6.4.2
shared=$root/../shared/windows
cache=${XDG_CACHE_HOME:-$HOME/.cache}/zrt48210
qt_dir=$cache/qt-$qt_version-mingw64
qt_given=
serialport_source=$shared/qtserialport-everywhere-src-$qt_version.tar.xz
run_tests=1
while [ $# -gt 0 ]; do
  case $1 in
    --qt) qt_given=$2; shift 2 ;;
    --qtserialport-source) serialport_source=$2; shift 2 ;;
    --no-tests) run_tests=0; shift ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "windows.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
say() { printf '\n== %s\n' "$*"; }
fail() { echo "windows.sh: $*" >&2; exit 1; }
seconds() { date +%s.%N; }
elapsed() { printf '%.1f s' "$(echo "$(seconds) - $1" | bc)"; }
started=$(seconds)

# --- What the build needs, from Debian 12. Wine runs the 64-bit programs without i386.
packages=(
  cmake ninja-build g++ bc
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-l10n-tools
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 nsis zip
  xvfb xauth imagemagick xdotool fonts-ipafont-gothic
  dpkg-dev xz-utils
)
"$root/scripts/setup.sh" "${packages[@]}"

toolchain=$root/dist/windows/mingw-w64-x86_64.cmake
mkdir -p "$cache"

# A Qt is ready once it was installed whole: the mark is written last.
qt_ready() { [ -f "$1/.zrt48210-ready" ] && [ -x "$1/bin/qt-cmake" ]; }

unpack_qt() {
  local tarball=$1 work
  say "Unpacking $tarball into $qt_dir"
  work=$(mktemp -d "$cache/unpack.XXXXXX")
  tar -xJf "$tarball" -C "$work"
  [ -x "$work/qt/bin/qt-cmake" ] || fail "$tarball holds no qt/bin/qt-cmake"
  rm -rf "$qt_dir"
  mv "$work/qt" "$qt_dir"
  rmdir "$work"
  touch "$qt_dir/.zrt48210-ready"
}

# qtbase from Debian's source of the Qt installed here (its host tools build the Windows one),
# qtserialport from its release tarball, both for MinGW with the options that are known to work:
# shared libraries, the bundled third-party libraries, no OpenGL (so no dynamic GL either), no
# tablet events (Debian's source leaves out wintab.h) and none of the modules the tool does not
# use.
build_qt() {
  local work=$cache/qt-source host_version source serialport build
  [ -f "$serialport_source" ] \
    || fail "no Qt Serial Port source at $serialport_source (give --qtserialport-source)"
  say "Building Qt $qt_version for MinGW into $qt_dir (about 40 minutes on two cores)"
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ \
      && ! grep -qs '^deb-src ' /etc/apt/sources.list; then
    local uri
    uri=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' \
      "${uri:-http://deb.debian.org/debian}" /usr/share/keyrings/debian-archive-keyring.gpg \
      | as_root tee /etc/apt/sources.list.d/zrt48210-source.sources > /dev/null
    as_root apt-get update -qq
  fi
  rm -rf "$work" "$qt_dir"
  mkdir -p "$work"
  host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  (cd "$work" && apt-get source -qq "qt6-base=$host_version")
  source=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
  [ -n "$source" ] || fail "apt-get source qt6-base gave no source folder"
  build=$work/qtbase-build
  cmake -S "$source" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$qt_dir" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_network=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF
  nice -n 10 cmake --build "$build" --parallel "$(nproc)"
  cmake --install "$build"

  tar -xJf "$serialport_source" -C "$work"
  serialport=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qtserialport*' | head -1)
  [ -n "$serialport" ] || fail "$serialport_source holds no qtserialport folder"
  mkdir -p "$work/qtserialport-build"
  (cd "$work/qtserialport-build" && "$qt_dir/bin/qt-configure-module" "$serialport" \
     && nice -n 10 cmake --build . --parallel "$(nproc)" && cmake --install .)
  touch "$qt_dir/.zrt48210-ready"
  rm -rf "$work"
}

if [ -n "$qt_given" ] && [ -d "$qt_given" ]; then
  [ -x "$qt_given/bin/qt-cmake" ] || fail "$qt_given holds no bin/qt-cmake"
  qt_dir=$(cd "$qt_given" && pwd)
elif [ -n "$qt_given" ]; then
  [ -f "$qt_given" ] || fail "no Qt at $qt_given"
  qt_ready "$qt_dir" || unpack_qt "$qt_given"
elif ! qt_ready "$qt_dir"; then
  if [ -f "$shared/qt-$qt_version-mingw64.tar.xz" ]; then
    unpack_qt "$shared/qt-$qt_version-mingw64.tar.xz"
  else
    step=$(seconds)
    build_qt
    echo "Qt built in $(elapsed "$step")"
  fi
fi
echo "Qt for Windows: $qt_dir"

# --- The three programs (and the tests that run under Wine), from the same CMake files.
build=$root/build-win
say "Cross-building into $build"
step=$(seconds)
mkdir -p "$build"
"$qt_dir/bin/qt-cmake" -S "$root" -B "$build" -G Ninja \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR=wine > "$build/configure.log" 2>&1 \
  || { cat "$build/configure.log"; fail "configuring the Windows build failed"; }
nice -n 10 cmake --build "$build" --parallel "$(nproc)"
echo "cross-built in $(elapsed "$step")"

# --- What ships: the programs, the Qt and MinGW libraries they load, the platform and style
# plugins. The portable zip and the installer hold exactly these files.
stage=$build/stage/zrt48210-$version
rm -rf "$build/stage"
mkdir -p "$stage/platforms" "$stage/styles"
mingw_gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
for program in zrt48210 zrt48210-cli zrt48210-station; do
  x86_64-w64-mingw32-strip -o "$stage/$program.exe" "$build/$program.exe"
done
for library in Qt6Core Qt6Gui Qt6Widgets Qt6SerialPort; do
  cp "$qt_dir/bin/$library.dll" "$stage/"
done
cp "$qt_dir/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt_dir/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$mingw_gcc/libstdc++-6.dll" "$mingw_gcc/libgcc_s_seh-1.dll" "$stage/"
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"

# Every library a shipped file loads is shipped or is part of Windows, and every library
# shipped beside the programs is loaded by one of them.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
windows_dlls=(
  'api-ms-win-.*' kernel32 user32 gdi32 shell32 ole32 oleaut32 advapi32 ws2_32 winmm setupapi
  cfgmgr32 comdlg32 imm32 dwmapi uxtheme shlwapi version netapi32 userenv mpr 'winspool\.drv'
  msvcrt d3d9 d3d11 d3d12 dxgi dcomp d2d1 dwrite authz wtsapi32 ntdll crypt32 bcrypt secur32
  comctl32 shcore
)
system_dll="^($(IFS='|'; echo "${windows_dlls[*]}"))(\.dll)?\$"
loaded=$(for file in "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll; do imports "$file"; done \
           | sort -fu)
for name in $loaded; do
  lower=$(echo "$name" | tr 'A-Z' 'a-z')
  [ -f "$stage/$name" ] || echo "$lower" | grep -Eq "$system_dll" \
    || fail "$name is loaded but neither shipped nor part of Windows"
done
for file in "$stage"/*.dll; do
  echo "$loaded" | grep -qix "$(basename "$file")" \
    || fail "$(basename "$file") is shipped but never loaded"
done
echo "shipped: $(cd "$stage" && find . -type f | sort | tr '\n' ' ')"

zip=$build/zrt48210-$version-windows-x64.zip
rm -f "$zip"
(cd "$build/stage" && zip -qr "$zip" "zrt48210-$version")
installer=$build/zrt48210-setup-$version.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$installer" \
  -DSIZE_KB="$(du -sk "$stage" | cut -f1)" "$root/dist/windows/zrt48210.nsi"

if [ "$run_tests" -eq 1 ]; then
  bash "$root/tests/wine/wine.sh" "$root" "$build" "$stage" "$installer" "$qt_dir"
fi

say "Done in $(elapsed "$started")"
echo "installer:      $installer ($(du -h "$installer" | cut -f1))"
echo "portable zip:   $zip ($(du -h "$zip" | cut -f1))"
echo "programs:       $stage"
[ "$run_tests" -eq 0 ] || echo "screenshot:     $root/docs/screenshots/windows.png"
