#!/usr/bin/env bash
# Prints the tool's figures: CPU while idle (disconnected, connected, and with the traffic log
# window open), start-up time to the window shown beside a bare Qt window's, peak memory,
# memory over repeated work cycles, the link's write-all and read-back times against the
# simulator beside their floors, zrt48210-cli's write --verify on one unit and on eight in
# parallel, and its find over nine ports where no unit answers. Runs under Xvfb when there is
# no display.
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
fail() { echo "benchmark: $*" >&2; exit 1; }
start_unit --model 48210
runtime=$(mktemp -d)
ticks=$(getconf CLK_TCK)
cpu_of() {  # user + system seconds of a process so far
  awk -v t="$ticks" '{ printf "%.3f", ($14 + $15) / t }' "/proc/$1/stat"
}

# Start-up: launch to the window shown, the tool beside a bare Qt window (one label), taken
# in turns so that both see the same machine. Median of $START_ROUNDS each.
start_rounds="${START_ROUNDS:-7}"
startup_of() {  # prints the milliseconds from launch to the window visible, then ends it
  local title=$1 started window pid try
  shift
  # A program that could not reach the X server (it refuses a burst of connections now and
  # then) is started again.
  for try in 1 2 3; do
    started=$(date +%s%N)
    XDG_RUNTIME_DIR="$runtime" "$@" > /dev/null 2>&1 &
    pid=$!
    until window=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1) \
          && [ -n "$window" ]; do
      kill -0 "$pid" 2> /dev/null || continue 2
      sleep 0.002
    done
    echo $(( ($(date +%s%N) - started) / 1000000 ))
    kill "$pid"
    wait "$pid" 2> /dev/null || true
    return 0
  done
  fail "$1 ended before its window showed, three times"
}
tool_times=(); bare_times=()
for _ in $(seq "$start_rounds"); do
  ms=$(startup_of 'ZRT48210' build/zrt48210 --port COM1="$UNIT_PTY") || exit 1
  tool_times+=("$ms")
  ms=$(startup_of '^zrt-barewindow$' build/tools/zrt-barewindow) || exit 1
  bare_times+=("$ms")
done
median_of() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
startup_ms=$(median_of "${tool_times[@]}")
bare_ms=$(median_of "${bare_times[@]}")

XDG_RUNTIME_DIR="$runtime" build/zrt48210 --port COM1="$UNIT_PTY" &
app=$!
trap 'kill "$app" "$UNIT_PID" 2>/dev/null || true; rm -rf "$runtime"' EXIT
until window=$(xdotool search --onlyvisible --name 'ZRT48210' 2>/dev/null | head -n 1) \
      && [ -n "$window" ]; do
  sleep 0.005
done

sleep 1
before=$(cpu_of "$app"); sleep "$idle"; after=$(cpu_of "$app")
idle_disconnected=$(awk "BEGIN{print $after-$before}")

drive_window "$window" build/tests/zrt-controlplaces
click cmdPort
sleep 1
before=$(cpu_of "$app"); sleep "$idle"; after=$(cpu_of "$app")
idle_connected=$(awk "BEGIN{print $after-$before}")

# 情報 → 通信ログ: the traffic log window open beside the connected window.
menu mnuProp mnuLog
log_window=$(xdotool search --sync --onlyvisible --name '^通信ログ$' | head -n 1)
# Without a window manager it may cover the main window's buttons: put it below.
xdotool windowmove "$log_window" 0 580
sleep 1
before=$(cpu_of "$app"); sleep "$idle"; after=$(cpu_of "$app")
idle_log_open=$(awk "BEGIN{print $after-$before}")
peak_kb=$(awk '/VmHWM/ { print $2 }' "/proc/$app/status")

# Work cycles as a technician repeats them: read back, write all, disconnect, connect again.
rss_of() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }
cycle() {
  click cmdDISP
  sleep 0.3
  click cmdAllSet
  answer 設定確認 Return
  sleep 0.3
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
printf '| CPU, %s s idle, connected, traffic log window open | %.3f s | < 0.05 s per 10 s |\n' \
  "$idle" "$idle_log_open"
printf '| start-up to the window shown (median of %s) | %d ms | < 500 ms |\n' "$start_rounds" \
  "$startup_ms"
printf '| a bare Qt window (one label), the same way | %d ms | |\n' "$bare_ms"
printf '| ratio tool / bare window | %.2f | within 1.25 |\n' \
  "$(awk "BEGIN{print $startup_ms/$bare_ms}")"
printf '| peak memory (VmHWM) | %d MiB | |\n' $((peak_kb / 1024))
printf '| memory (VmRSS) after 5 work cycles, then after %d more | %d KiB, %d KiB (%+d KiB) | flat |\n' \
  "$cycles" "$rss_warm" "$rss_after" $((rss_after - rss_warm))

# The command-line tool: write --verify on one simulated unit, then on eight in parallel (one
# simulator each). Wall and CPU time of the tool, median of $CLI_ROUNDS runs.
echo
rounds="${CLI_ROUNDS:-7}"
window_unit=$UNIT_PID
sims=()
cli_ports=()
for _ in $(seq 8); do
  start_unit 2> /dev/null
  sims+=("$UNIT_PID")
  cli_ports+=(--port "$UNIT_PTY")
done
trap 'kill "$app" "$window_unit" "${sims[@]}" 2>/dev/null || true; rm -rf "$runtime"' EXIT
build/zrt48210-cli read -o "$runtime/site.txt" "${cli_ports[@]:0:2}" > /dev/null 2>&1
cli_run() {  # prints "wall_ms cpu_ms" of one write --verify on the given ports
  local TIMEFORMAT='%R %U %S' times
  times=$({ time build/zrt48210-cli write "$runtime/site.txt" --verify "$@" \
              > /dev/null 2> /dev/null; } 2>&1)
  awk '{ printf "%.0f %.0f\n", $1 * 1000, ($2 + $3) * 1000 }' <<< "$times"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
one=$(for _ in $(seq "$rounds"); do cli_run "${cli_ports[@]:0:2}"; done)
eight=$(for _ in $(seq "$rounds"); do cli_run "${cli_ports[@]}" --myid-from 1; done)
one_wall=$(cut -d' ' -f1 <<< "$one" | median);   one_cpu=$(cut -d' ' -f2 <<< "$one" | median)
eight_wall=$(cut -d' ' -f1 <<< "$eight" | median); eight_cpu=$(cut -d' ' -f2 <<< "$eight" | median)
printf '| zrt48210-cli write --verify (median of %s) | wall | CPU (user + system) |\n' "$rounds"
printf '|---|---|---|\n'
printf '| 1 unit | %d ms | %d ms |\n' "$one_wall" "$one_cpu"
printf '| 8 units in parallel | %d ms | %d ms |\n' "$eight_wall" "$eight_cpu"
printf '| ratio 8 / 1 (target: within 1.3) | %.2f | %.2f |\n' \
  "$(awk "BEGIN{print $eight_wall/$one_wall}")" "$(awk "BEGIN{print $eight_cpu/$one_cpu}")"

# find over nine ports where nothing answers: all are asked at once, so the search lasts about
# one port's give-up time. Wall time of the tool, median of $CLI_ROUNDS runs.
echo
silent=()
find_ports=()
for _ in $(seq 9); do
  start_unit --silent 2> /dev/null
  silent+=("$UNIT_PID")
  find_ports+=(--port "$UNIT_PTY")
done
trap 'kill "$app" "$window_unit" "${sims[@]}" "${silent[@]}" 2>/dev/null || true
      rm -rf "$runtime"' EXIT
find_run() {  # prints the wall time of one find in ms; it ends with status 1: no unit
  local TIMEFORMAT='%R' times
  times=$({ time build/zrt48210-cli find "${find_ports[@]}" > /dev/null 2>&1 || true; } 2>&1)
  awk '{ printf "%.0f\n", $1 * 1000 }' <<< "$times"
}
find_wall=$(for _ in $(seq "$rounds"); do find_run; done | median)
printf '| zrt48210-cli find (median of %s) | wall | target |\n|---|---|---|\n' "$rounds"
printf '| 9 ports, no unit | %d ms | < 1500 ms |\n' "$find_wall"
