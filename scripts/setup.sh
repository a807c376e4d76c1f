#!/usr/bin/env bash
# Installs what building, running and testing the tool needs (Debian 12); given packages,
# those instead (scripts/windows.sh names its own).
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
  cmake g++ make
  qt6-base-dev qt6-serialport-dev qt6-qpa-plugins qt6-translations-l10n qt6-l10n-tools
  libgl-dev
  libxcb1-dev libfontconfig-dev
  fonts-ipafont-gothic
  xvfb xauth imagemagick xdotool socat
  clang libclang-rt-14-dev
  librsvg2-bin dpkg-dev groff-base desktop-file-utils appstream lintian
  mmdebstrap
  poppler-utils python3
  postgresql-15 libqt6sql6-psql
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" \
    || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    "${missing[@]}"
fi
