#!/usr/bin/env bash
# Starts the tool under Xvfb next to a simulated unit, connects, reads back, opens the traffic
# log and the port dialog, and saves a screenshot at each step into the given folder (default
# build/screenshots).
set -euo pipefail
# Window titles are Japanese: xdotool matches them only in a UTF-8 locale.
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1024x768x24 -dpi 96" "$0" "$out"
fi
mkdir -p "$out"
. scripts/unitsim.sh
start_unit --model 48210 --version-text "Ver1.02"
runtime=$(mktemp -d)
# A configuration of its own, so the user's choices (verify after write, the log window's place)
# do not change the pictures.
XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$runtime" build/zrt48210 --port COM1="$UNIT_PTY" &
app=$!
trap 'kill "$app" "$UNIT_PID" 2>/dev/null || true; rm -rf "$runtime"' EXIT

window=$(xdotool search --sync --onlyvisible --name 'ZRT48210' | head -n 1)
. scripts/drive.sh
fail() { echo "screenshots: $*" >&2; exit 1; }
drive_window "$window" build/tests/zrt-controlplaces || fail "no control places"
CLICK_PAUSE=0.5
shot() {
  import -window "$1" "$out/$2.png"
  echo "$out/$2.png"
}
sleep 1
shot "$window" main
click cmdPort
sleep 0.5
shot "$window" connected
click cmdDISP
sleep 0.5
shot "$window" readback
click tabAD_1
shot "$window" analog
click cmdPort
menu mnuProp mnuLog
log=$(xdotool search --sync --onlyvisible --name '^通信ログ$' | head -n 1)
xdotool windowsize "$log" 640 330
sleep 0.5
shot "$log" trafficlog
menu mnuEdit mnuPort
dialog=$(xdotool search --sync --onlyvisible --name '^通信設定$' | head -n 1)
sleep 0.5
shot "$dialog" portdialog
echo "screenshots in $out"

# The production station during work: two units done, one being written (a slow one), one of
# the wrong kind for the file, and an adapter waiting for its unit.
bench=$(mktemp -d)
station_units=("$UNIT_PID")
station_trap() {  # start_unit sets its own trap: this one stops everything started here
  trap 'kill "$app" "${station_units[@]}" "${station:-}" 2>/dev/null || true
        rm -rf "$runtime" "$bench"' EXIT
}
station_trap
build/zrt48210-cli read -o "$bench/slave.txt" --port "$UNIT_PTY" > /dev/null 2>&1
XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$runtime" build/zrt48210-station \
  --port "$bench/adapter*" --settings "$bench/slave.txt" --record "$bench/record.csv" \
  --operator 佐藤 --myid-from 11 --start &
station=$!
station_window=$(xdotool search --sync --onlyvisible --name '生産ステーション' | head -n 1)
plug() {  # plug NAME [simulator options...]
  local name=$1
  shift
  start_unit --link "$bench/$name" "$@" 2> /dev/null
  station_units+=("$UNIT_PID")
  station_trap
}
plug adapter1
plug adapter2
plug adapter4 --silent
plug adapter5 --model 48220
for _ in $(seq 100); do
  done_rows=$(grep -c ',done,' "$bench/record.csv" 2> /dev/null) || true
  [ "${done_rows:-0}" -ge 2 ] && break
  sleep 0.1
done
plug adapter3 --delay 250
sleep 4.5
shot "$station_window" station
