#!/usr/bin/env bash
# Installs, builds and starts the tool next to a simulated 48210 unit bound to COM1.
# Without a display it runs under Xvfb instead, clicks through a connection and leaves
# screenshots (their folder is printed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
if [ -z "${DISPLAY:-}" ]; then
  exec scripts/screenshots.sh build/screenshots
fi
. scripts/unitsim.sh
start_unit --model 48210 --log build/unit.log
echo "simulated unit on $UNIT_PTY (COM1); received lines go to build/unit.log"
build/zrt48210 --port COM1="$UNIT_PTY"
