#!/usr/bin/env bash
# Prints the tool's figures: CPU while idle (disconnected, connected, and with the traffic log
# window open), start-up time to the window shown, peak memory, and the link's write-all and
# read-back times against the simulator beside their floors. Runs under Xvfb when there is no
# display.
set -euo pipefail
# Window titles are Japanese: xdotool matches them only in a UTF-8 locale.
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
if [ -z "${BENCH_BUILT:-}" ]; then
  scripts/setup.sh
  scripts/build.sh build
fi
if [ -z "${DISPLAY:-}" ]; then
  BENCH_BUILT=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$@"
fi
idle="${IDLE_SECONDS:-10}"

build/tools/zrt-linkbench --sim build/tools/zrt-unitsim --idle "$idle"
echo

. scripts/unitsim.sh
start_unit --model 48210
runtime=$(mktemp -d)
ticks=$(getconf CLK_TCK)
cpu_of() {  # user + system seconds of a process so far
  awk -v t="$ticks" '{ printf "%.3f", ($14 + $15) / t }' "/proc/$1/stat"
}

start=$(date +%s%N)
XDG_RUNTIME_DIR="$runtime" build/zrt48210 --port COM1="$UNIT_PTY" &
app=$!
trap 'kill "$app" "$UNIT_PID" 2>/dev/null || true; rm -rf "$runtime"' EXIT
until window=$(xdotool search --onlyvisible --name 'ZRT48210' 2>/dev/null | head -n 1) \
      && [ -n "$window" ]; do
  sleep 0.005
done
shown=$(date +%s%N)
startup_ms=$(( (shown - start) / 1000000 ))

sleep 1
before=$(cpu_of "$app"); sleep "$idle"; after=$(cpu_of "$app")
idle_disconnected=$(awk "BEGIN{print $after-$before}")

eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 96 $((HEIGHT - 550 + 480)) click 1   # 接続
sleep 1
before=$(cpu_of "$app"); sleep "$idle"; after=$(cpu_of "$app")
idle_connected=$(awk "BEGIN{print $after-$before}")

# 情報 → 通信ログ: the traffic log window open beside the connected window.
xdotool mousemove --window "$window" 122 $(((HEIGHT - 550) / 2)) click 1
sleep 0.5
xdotool mousemove --window "$window" 148 $((HEIGHT - 550 + 12 + 24)) click 1
xdotool search --sync --onlyvisible --name '^通信ログ$' > /dev/null
sleep 1
before=$(cpu_of "$app"); sleep "$idle"; after=$(cpu_of "$app")
idle_log_open=$(awk "BEGIN{print $after-$before}")
peak_kb=$(awk '/VmHWM/ { print $2 }' "/proc/$app/status")

printf '| the tool under Xvfb | measured | target |\n|---|---|---|\n'
printf '| CPU, %s s idle, disconnected | %.3f s | < 0.05 s per 10 s |\n' "$idle" "$idle_disconnected"
printf '| CPU, %s s idle, connected | %.3f s | < 0.05 s per 10 s |\n' "$idle" "$idle_connected"
printf '| CPU, %s s idle, connected, traffic log window open | %.3f s | < 0.05 s per 10 s |\n' \
  "$idle" "$idle_log_open"
printf '| start-up to the window shown | %d ms | < 500 ms |\n' "$startup_ms"
printf '| peak memory (VmHWM) | %d MiB | |\n' $((peak_kb / 1024))
