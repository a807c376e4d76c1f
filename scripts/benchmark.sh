#!/usr/bin/env bash
# Prints the tool's figures: CPU while idle (disconnected and connected), start-up time to the
# window shown, peak memory, memory over repeated work cycles, and the link's write-all and
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
cycles="${CYCLES:-30}"

build/tools/zrt-linkbench --sim build/tools/zrt-unitsim --idle "$idle"
echo

. scripts/unitsim.sh
. scripts/drive.sh
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

drive_window "$window" build/tests/zrt-controlplaces
click cmdPort
sleep 1
before=$(cpu_of "$app"); sleep "$idle"; after=$(cpu_of "$app")
idle_connected=$(awk "BEGIN{print $after-$before}")
peak_kb=$(awk '/VmHWM/ { print $2 }' "/proc/$app/status")

# Work cycles as a technician repeats them: read back, write all, disconnect, connect again.
rss_of() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }
cycle() {
  click cmdDISP
  sleep 0.3
  click cmdAllSet
  box=$(xdotool search --sync --onlyvisible --name '^設定確認$' | head -n 1)
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return
  sleep 0.6
  click cmdPort
  click cmdPort
  sleep 0.3
}
for _ in 1 2 3 4 5; do cycle; done
rss_warm=$(rss_of "$app")
for _ in $(seq "$cycles"); do cycle; done
rss_after=$(rss_of "$app")

printf '| the tool under Xvfb | measured | target |\n|---|---|---|\n'
printf '| CPU, %s s idle, disconnected | %.3f s | < 0.05 s per 10 s |\n' "$idle" "$idle_disconnected"
printf '| CPU, %s s idle, connected | %.3f s | < 0.05 s per 10 s |\n' "$idle" "$idle_connected"
printf '| start-up to the window shown | %d ms | < 500 ms |\n' "$startup_ms"
printf '| peak memory (VmHWM) | %d MiB | |\n' $((peak_kb / 1024))
printf '| memory (VmRSS) after 5 work cycles, then after %d more | %d KiB, %d KiB (%+d KiB) | flat |\n' \
  "$cycles" "$rss_warm" "$rss_after" $((rss_after - rss_warm))
