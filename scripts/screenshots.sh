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
  exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$out"
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
eval "$(xdotool getwindowgeometry --shell "$window")"
# The client area is the bottom 673 x 550 pixels of the window, under the menu bar.
top=$((HEIGHT - 550))
click() {  # x y in client pixels
  xdotool mousemove --window "$window" "$1" $((top + $2)) click 1
  sleep 0.5
}
shot() {
  import -window "$1" "$out/$2.png"
  echo "$out/$2.png"
}
sleep 1
shot "$window" main
click 96 480       # 接続
sleep 0.5
shot "$window" connected
click 256 480      # 設定値読込
sleep 0.5
shot "$window" readback
click 230 242      # the アナログユニット tab
shot "$window" analog
menu() {  # x of the menu title, then the item's row (0 first)
  xdotool mousemove --window "$window" "$1" $((top / 2)) click 1
  sleep 0.5
  xdotool mousemove --window "$window" $(($1 + 26)) $((top + 12 + 24 * $2)) click 1
  sleep 0.5
}
click 96 480       # 切断
menu 122 1         # 情報 → 通信ログ
log=$(xdotool search --sync --onlyvisible --name '^通信ログ$' | head -n 1)
xdotool windowsize "$log" 640 330
sleep 0.5
shot "$log" trafficlog
menu 84 0          # 設定 → 通信設定
dialog=$(xdotool search --sync --onlyvisible --name '^通信設定$' | head -n 1)
sleep 0.5
shot "$dialog" portdialog
echo "screenshots in $out"
