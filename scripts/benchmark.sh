#!/usr/bin/env bash
# Prints the tool's figures: CPU while idle (disconnected, connected, and with the traffic log
# window open), start-up time to the window shown beside a bare Qt window's, peak memory,
# memory over repeated work cycles, the link's write-all and read-back times against the
# simulator beside their floors, zrt48210-cli's write --verify on one unit and on eight in
# parallel, and its find over nine ports where no unit answers; the production station's; and
# what the record costs a unit, a CSV file against a plant's PostgreSQL database. Runs under
# Xvfb when there is no display. BENCH_ONLY=record runs the record's figures alone.
set -euo pipefail
# Window titles are Japanese: xdotool matches them only in a UTF-8 locale.
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
only="${BENCH_ONLY:-}"
if [ -z "${BENCH_BUILT:-}" ]; then
  scripts/setup.sh
  scripts/build.sh build
fi
if [ -z "${DISPLAY:-}" ] && [ "$only" != record ]; then
  BENCH_BUILT=1 exec xvfb-run -a -s "-noreset -screen 0 1024x768x24 -dpi 96" "$0" "$@"
fi
idle="${IDLE_SECONDS:-10}"
cycles="${CYCLES:-30}"

. scripts/unitsim.sh
. scripts/drive.sh
fail() { echo "benchmark: $*" >&2; exit 1; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
if [ "$only" != record ]; then
  build/tools/zrt-linkbench --sim build/tools/zrt-unitsim --idle "$idle"
  echo

  start_unit --model 48210
  # On tmpfs when there is one, as a desktop session's runtime folder is: the tool's
  # single-instance lock syncs its file there.
  runtime=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
  ticks=$(getconf CLK_TCK)
  cpu_of() {  # user + system seconds of a process so far
    awk -v t="$ticks" '{ printf "%.3f", ($14 + $15) / t }' "/proc/$1/stat"
  }

  # Start-up: launch to the window shown, the tool beside a bare Qt window (one label), taken
  # in turns so that both see the same machine. Median of $START_ROUNDS each. zrt-startwatch
  # waits for the X server to map the window; polling for it from here would take the processor
  # from the program being timed.
  start_rounds="${START_ROUNDS:-15}"
  startup_of() {  # prints the milliseconds from launch to the window mapped, then ends it
    local try
    # A program that could not reach the X server (it refuses a burst of connections now and
    # then) is started again.
    for try in 1 2 3; do
      XDG_RUNTIME_DIR="$runtime" build/tools/zrt-startwatch "$@" 2> /dev/null && return 0
    done
    fail "$1 showed no window, three times"
  }
  tool_times=(); bare_times=()
  for _ in $(seq "$start_rounds"); do
    ms=$(startup_of build/zrt48210 --port COM1="$UNIT_PTY") || exit 1
    tool_times+=("$ms")
    ms=$(startup_of build/tools/zrt-barewindow) || exit 1
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
  # The production station, headless (zrt48210-cli watch): eight simulated units appear one after
  # another on links in a folder it watches. Per unit, the time from its first answer to its row
  # in the record (done), beside zrt48210-cli write --verify on one unit; how soon a unit that
  # starts answering on an adapter already shown is found; and the CPU of eight idle adapters
  # being polled. Figures only.
  echo
  bench=$(mktemp -d)
  mkdir "$bench/adapters"
  stamp_ms() { date -d "$1" +%s%3N; }
  build/zrt48210-cli watch "$runtime/site.txt" --port "$bench/adapters/*" --myid-from 1 \
    --record "$bench/record.csv" > "$bench/watch.log" 2> "$bench/watch.err" &
  watch_pid=$!
  station_sims=()
  station_unit() {  # start_unit, and a trap that stops everything started here
    start_unit "$@" 2> /dev/null
    station_sims+=("$UNIT_PID")
    trap 'kill "$app" "$window_unit" "${sims[@]}" "${silent[@]}" "${station_sims[@]}" \
          "$watch_pid" 2>/dev/null || true; rm -rf "$runtime" "$bench"' EXIT
  }
  for i in $(seq 8); do
    station_unit --link "$bench/adapters/u$i"
    sleep 0.5
  done
  for _ in $(seq 300); do
    [ "$(grep -c ': done own ID' "$bench/watch.log" || true)" -ge 8 ] && break
    sleep 0.1
  done
  [ "$(grep -c ': done own ID' "$bench/watch.log" || true)" -ge 8 ] \
    || fail "the station did not finish eight units: $(cat "$bench/watch.log" "$bench/watch.err")"
  durations=$(for i in $(seq 8); do
    answered=$(grep -m1 "/u$i: ZRT48210 answers" "$bench/watch.log" | cut -d' ' -f1)
    done_at=$(grep -m1 "/u$i: done own ID" "$bench/watch.log" | cut -d' ' -f1)
    echo $(( $(stamp_ms "$done_at") - $(stamp_ms "$answered") ))
  done)
  station_ms=$(median <<< "$durations")
  station_max=$(sort -n <<< "$durations" | tail -n 1)
  kill "${station_sims[@]}" 2> /dev/null || true
  station_sims=()

  # Units that start answering 3 s after their link appeared (the adapter is shown by then): from
  # that moment to the first parameter written, as the simulator's own trace, stamped to the
  # millisecond as it comes, shows it.
  stamp_lines() { while IFS= read -r line; do echo "$(date +%s%3N) $line"; done; }
  detections=""
  for i in $(seq 3); do
    build/tools/zrt-unitsim --link "$bench/adapters/late$i" --answer-after 3000 \
      > /dev/null 2> >(stamp_lines > "$bench/late$i.trace") &
    station_sims+=("$!")
    for _ in $(seq 100); do
      grep -q ' <- @FRBD' "$bench/late$i.trace" 2> /dev/null && break
      sleep 0.1
    done
    ready=$(grep -m1 'answering on' "$bench/late$i.trace" | cut -d' ' -f1)
    first_write=$(grep -m1 ' <- @FRBD' "$bench/late$i.trace" | cut -d' ' -f1)
    [ -n "$ready" ] && [ -n "$first_write" ] || fail "the unit on late$i was not written"
    detections+="$((first_write - ready - 3000)) "
  done
  kill "${station_sims[@]}" 2> /dev/null || true
  station_sims=()

  # Eight adapters with nobody answering, polled once a second.
  for i in $(seq 8); do
    station_unit --link "$bench/adapters/idle$i" --silent
  done
  sleep 4
  before=$(cpu_of "$watch_pid"); sleep "$idle"; after=$(cpu_of "$watch_pid")
  station_idle=$(awk "BEGIN{print $after-$before}")
  kill -INT "$watch_pid"
  wait "$watch_pid" || true

  printf '| production station (zrt48210-cli watch) | measured | target |\n|---|---|---|\n'
  printf '| first answer to done, median of 8 units one after another (max) | %d ms (%d ms) | |\n' \
    "$station_ms" "$station_max"
  printf '| ratio to zrt48210-cli write --verify on 1 unit (%d ms) | %.2f | within 1.15 |\n' \
    "$one_wall" "$(awk "BEGIN{print $station_ms/$one_wall}")"
  printf '| unit starts answering to its first write, 3 units (ms) | %s | at most 1200 ms |\n' \
    "$detections"
  printf '| CPU, %s s, 8 idle adapters polled | %.3f s (%.2f %% of a core) | < 1 %% |\n' \
    "$idle" "$station_idle" "$(awk "BEGIN{print $station_idle*100/$idle}")"
fi

# The record: what recording one unit costs (its own ID drawn and its row appended, as a station
# does once a unit is written; a CSV record draws own IDs in memory), in a CSV file and in a
# plant's PostgreSQL database on this machine, syncing every commit as a plant's server does.
# One station alone, one unit after another; one station with 16 units at once (each unit's own
# ID and row asked for without waiting for the others, 12 times over); then 16 stations at once
# (16 zrt-recordbench processes started together; a CSV record each, or one job in the
# database: a job has 200 own IDs, so 12 units each, in $RECORD_ROUNDS rounds of a job each).
# For units at once, a unit's time runs from its asking until its row is kept, so it includes
# waiting for the others; the whole run divided by its units is the record's cost per unit.
# Then zrt48210-cli watch with 16 simulated units on a CSV
# record and on the database: from its start to the 16th row recorded, per unit, median of
# $WATCH_ROUNDS rounds taken in turns.
echo
record_rounds="${RECORD_ROUNDS:-3}"
watch_rounds="${WATCH_ROUNDS:-3}"
rec=$(mktemp -d)
chmod 755 "$rec"  # as root the server runs as postgres, who must reach its folder in here
record_pids=()
record_cleanup() {
  [ ${#record_pids[@]} -eq 0 ] || kill "${record_pids[@]}" 2> /dev/null || true
  scripts/pgserver.sh stop "$rec/pg" || true
  rm -rf "$rec"
}
eval "earlier_trap=($(trap -p EXIT))"
trap "record_cleanup; ${earlier_trap[2]:-}" EXIT
url=$(PGSERVER_FSYNC=on scripts/pgserver.sh start "$rec/pg")
# Rows a plant's record keeps aside when its database is away go here, not to the home folder.
export XDG_DATA_HOME="$rec/data"

stats_of() {  # prints "mean p95" of the milliseconds in the given files, one a line
  cat "$@" | sort -n | awk '{ v[NR] = $1; s += $1 }
    END { r = int(NR * 0.95); if (r < NR * 0.95) r++; printf "%.2f %.2f\n", s / NR, v[r] }'
}
# The server's notices (a table that exists already) go to the files beside the figures.
alone() {  # TARGET JOB TIMES [OPTIONS]: one station, 200 units (or 192 with --together 16)
  local units=200 target=$1 job=$2 times=$3
  shift 3
  [ $# -eq 0 ] || units=192
  build/tools/zrt-recordbench "$target" "$job" "$units" --times "$times" "$@" > "$times.out" \
    2> "$times.err" || fail "zrt-recordbench on $target failed: $(cat "$times.err")"
}
whole_per_unit() {  # the whole run's milliseconds per unit, as zrt-recordbench printed them
  sed -n 's/.*; \([0-9.]*\) ms of the whole run per unit$/\1/p' "$1"
}
together() {  # TAG TARGET (% for round-station): 16 stations at once, 12 units each
  local tag=$1 round i start pids
  shift
  whole=()
  for round in $(seq "$record_rounds"); do
    start=$(( $(date +%s%3N) + 5000 ))
    pids=()
    for i in $(seq 16); do
      build/tools/zrt-recordbench "${1//%/$round-$i}" "$tag-$round" 12 --start-at "$start" \
        --times "$rec/$tag-$round-$i.times" > /dev/null 2> "$rec/$tag-$round-$i.err" &
      pids+=("$!")
      record_pids+=("$!")
    done
    for i in "${pids[@]}"; do
      wait "$i" || fail "zrt-recordbench, 16 at once ($tag, round $round): $(cat "$rec"/*.err)"
    done
    whole+=("$(awk "BEGIN{printf \"%.2f\", ($(date +%s%3N) - $start) / 192}")")
  done
}
alone "$rec/alone.csv" alone "$rec/csv-alone.times"
alone "$url" alone "$rec/pg-alone.times"
alone "$rec/at-once.csv" at-once "$rec/csv-at-once.times" --together 16
alone "$url" at-once "$rec/pg-at-once.times" --together 16
together csv "$rec/%.csv"
csv_whole="${whole[*]}"
together pg "$url"
pg_whole="${whole[*]}"
duplicates=$(grep -c 'duplicate key value' "$rec/pg/server.log" || true)
read -r csv_alone_mean csv_alone_p95 <<< "$(stats_of "$rec/csv-alone.times")"
read -r pg_alone_mean pg_alone_p95 <<< "$(stats_of "$rec/pg-alone.times")"
read -r csv_once_mean csv_once_p95 <<< "$(stats_of "$rec/csv-at-once.times")"
read -r pg_once_mean pg_once_p95 <<< "$(stats_of "$rec/pg-at-once.times")"
read -r csv_16_mean csv_16_p95 <<< "$(stats_of "$rec"/csv-*-*.times)"
read -r pg_16_mean pg_16_p95 <<< "$(stats_of "$rec"/pg-*-*.times)"
printf '| recording one unit (own ID and row), ms per unit: mean (p95) | CSV | PostgreSQL'
printf ' (fsync on) | target |\n|---|---|---|---|\n'
printf '| 1 station alone, 200 units | %s (%s) | %s (%s) | PostgreSQL < 10 ms |\n' \
  "$csv_alone_mean" "$csv_alone_p95" "$pg_alone_mean" "$pg_alone_p95"
printf '| 1 station, 16 units at once (192 units): the whole run per unit | %s | %s |' \
  "$(whole_per_unit "$rec/csv-at-once.times.out")" "$(whole_per_unit "$rec/pg-at-once.times.out")"
printf ' PostgreSQL < 10 ms |\n'
printf '| 1 station, 16 units at once: from asking to the row kept | %s (%s) | %s (%s) | |\n' \
  "$csv_once_mean" "$csv_once_p95" "$pg_once_mean" "$pg_once_p95"
printf '| 16 stations at once, 12 units each, %d rounds: the whole round per unit (each round)' \
  "$record_rounds"
printf ' | %s | %s | |\n' "$csv_whole" "$pg_whole"
printf '| 16 stations at once: from asking to the row kept | %s (%s) | %s (%s) | |\n' \
  "$csv_16_mean" "$csv_16_p95" "$pg_16_mean" "$pg_16_p95"
printf '| own IDs two stations picked at once (drawn again) | | %d | |\n' "$duplicates"

# The station: 16 units on links in a folder of their own, there before it starts.
echo
# Sets watch_ms, from its start to the 16th row, / 16, and open_ms, from its start to watching
# (the record open).
watch_run() {  # TAG RECORD [--job NAME]
  local tag=$1 record=$2 i unit_pids=() watch start last watching
  shift 2
  mkdir "$rec/$tag"
  for i in $(seq 16); do
    build/tools/zrt-unitsim --quiet --delay "$unit_delay" --link "$rec/$tag/u$i" \
      > /dev/null 2>&1 &
    unit_pids+=("$!")
    record_pids+=("$!")
  done
  for i in $(seq 16); do
    for _ in $(seq 100); do [ -e "$rec/$tag/u$i" ] && break; sleep 0.05; done
    [ -e "$rec/$tag/u$i" ] || fail "the unit simulator on $tag/u$i did not start"
  done
  start=$(date +%s%3N)
  build/zrt48210-cli watch "$rec/site.txt" --port "$rec/$tag/u*" --myid-from 1 \
    --record "$record" "$@" > "$rec/$tag.log" 2> "$rec/$tag.err" &
  watch=$!
  record_pids+=("$watch")
  for _ in $(seq 1200); do
    [ "$(grep -c ': done own ID' "$rec/$tag.log" || true)" -ge 16 ] && break
    kill -0 "$watch" 2> /dev/null || break
    sleep 0.05
  done
  [ "$(grep -c ': done own ID' "$rec/$tag.log" || true)" -ge 16 ] \
    || fail "the station ($tag) did not record 16 units: $(cat "$rec/$tag.log" "$rec/$tag.err")"
  last=$(grep ': done own ID' "$rec/$tag.log" | sed -n 16p | cut -d' ' -f1)
  watching=$(grep -m1 ' watching ' "$rec/$tag.log" | cut -d' ' -f1)
  kill -INT "$watch" 2> /dev/null || true
  for _ in $(seq 100); do kill -0 "$watch" 2> /dev/null || break; sleep 0.1; done
  kill -KILL "$watch" 2> /dev/null || true
  wait "$watch" 2> /dev/null || true
  kill "${unit_pids[@]}" 2> /dev/null || true
  wait "${unit_pids[@]}" 2> /dev/null || true
  last=$(date -d "$last" +%s%3N)
  watching=$(date -d "$watching" +%s%3N)
  watch_ms=$(awk "BEGIN{printf \"%.1f\", ($last - $start) / 16}")
  open_ms=$(( watching - start ))
  steady_ms=$(awk "BEGIN{printf \"%.1f\", ($last - $watching) / 16}")
}
unit_delay=0
build/tools/zrt-unitsim --quiet --link "$rec/first" > /dev/null 2>&1 &
record_pids+=("$!")
for _ in $(seq 100); do [ -e "$rec/first" ] && break; sleep 0.05; done
build/zrt48210-cli read -o "$rec/site.txt" --port "$rec/first" > /dev/null 2>&1 \
  || fail "cannot read the settings file from a simulated unit"
# At the pace of the pseudo-terminal, and with units that take 20 ms before each answer, nearer
# a real unit on a 38400 baud line.
for unit_delay in 0 20; do
csv_watch=(); pg_watch=(); csv_open=(); pg_open=(); csv_steady=(); pg_steady=()
for round in $(seq "$watch_rounds"); do
  watch_run "csv$unit_delay-$round" "$rec/watch$unit_delay-$round.csv"
  csv_watch+=("$watch_ms"); csv_open+=("$open_ms"); csv_steady+=("$steady_ms")
  watch_run "pg$unit_delay-$round" "$url" --job "watch $unit_delay-$round"
  pg_watch+=("$watch_ms"); pg_open+=("$open_ms"); pg_steady+=("$steady_ms")
done
csv_unit=$(printf '%s\n' "${csv_watch[@]}" | median)
pg_unit=$(printf '%s\n' "${pg_watch[@]}" | median)
echo
printf '| zrt48210-cli watch, 16 units at once answering after %d ms (median of %d) | CSV |' \
  "$unit_delay" "$watch_rounds"
printf ' PostgreSQL | target |\n'
printf '|---|---|---|---|\n'
printf '| start to the 16th row recorded, per unit (each round) | %s ms (%s) | %s ms (%s) | |\n' \
  "$csv_unit" "${csv_watch[*]}" "$pg_unit" "${pg_watch[*]}"
printf '| ratio PostgreSQL / CSV | | %.3f | within 1.05 |\n' \
  "$(awk "BEGIN{print $pg_unit/$csv_unit}")"
printf '| start until it watches, the record open (each round; not per unit) |'
printf ' %d ms (%s) | %d ms (%s) | |\n' \
  "$(printf '%s\n' "${csv_open[@]}" | median)" "${csv_open[*]}" \
  "$(printf '%s\n' "${pg_open[@]}" | median)" "${pg_open[*]}"
steady_csv=$(printf '%s\n' "${csv_steady[@]}" | median)
steady_pg=$(printf '%s\n' "${pg_steady[@]}" | median)
printf '| from watching to the 16th row, per unit (each round) | %s ms (%s) | %s ms (%s) | |\n' \
  "$steady_csv" "${csv_steady[*]}" "$steady_pg" "${pg_steady[*]}"
printf '| ratio PostgreSQL / CSV, the record open | | %.3f | within 1.05 |\n' \
  "$(awk "BEGIN{print $steady_pg/$steady_csv}")"
done
