#!/usr/bin/env bash
# The Windows build under Wine (run by scripts/windows.sh):
#   wine.sh SOURCE BUILD STAGE INSTALLER QT
# - the ctest programs built for Windows, through the cross-compiling emulator;
# - the wire as far as Wine carries it: the practice unit (the Linux build's) on a
#   pseudo-terminal that Wine's COM1 (and COM10) stands for, a silent one on COM2, nothing
#   behind COM5, one pulled mid-write on COM6; files and records from it byte for byte against
#   the Linux build's; a record another program holds (hold.c, as Excel does);
# - what Wine does with a unit's reply at the system's calls (serialprobe.c), printed;
# - the window and the station under Xvfb, the window's screenshot, system.ini beside the
#   portable copy;
# - the installer: silent install, the installed command line, system.ini in %APPDATA% for the
#   installed window, the uninstaller.
set -euo pipefail
source=$1 build=$2 stage=$3 installer=$4 qt=$5
cache=${XDG_CACHE_HOME:-$HOME/.cache}/zrt48210
work=$(mktemp -d)
pids=()
display=
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
# Wine reads its port map when its server starts; the server is started apart, so that what it
# says as it ends does not land in the output. Ended with its plain -k, which takes Wine's own
# background programs with it (with SIGTERM alone they were seen to stay behind).
restart_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p > /dev/null 2>&1
}
trap cleanup EXIT
say() { printf '\n== %s\n' "$*"; }
fail() { echo "wine.sh: FAILED: $*" >&2; exit 1; }
seconds() { date +%s.%N; }
elapsed() { printf '%.1f s' "$(echo "$(seconds) - $1" | bc)"; }
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$(( $(date +%s) + $1 )); shift
  until "$@"; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

export WINEPREFIX=$cache/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mingw_gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  say "Making the Wine prefix $WINEPREFIX"
  wineboot -i > /dev/null 2>&1
fi
wineserver -p > /dev/null 2>&1 || true  # one may run already

# --- The practice unit runs on Linux; the Linux build of it is made once beside.
host=$build-host
if [ ! -x "$host/tools/zrt-unitsim" ]; then
  say "Building the practice unit for Linux in $host"
  cmake -S "$source" -B "$host" -G Ninja -DZRT_GUI=OFF -DBUILD_TESTING=OFF \
    -DCMAKE_BUILD_TYPE=Release > "$work/host.log" 2>&1 || { cat "$work/host.log"; exit 1; }
fi
nice -n 10 cmake --build "$host" --target zrt-unitsim zrt48210-cli > "$work/host.log" 2>&1 \
  || { cat "$work/host.log"; exit 1; }

# A unit on a fresh pseudo-terminal: start_unit NAME OPTIONS...; its terminal in $unit_pty.
start_unit() {
  local name=$1; shift
  "$host/tools/zrt-unitsim" --log "$work/$name.log" "$@" > "$work/$name.out" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$work/$name.out" || fail "the practice unit $name did not start"
  unit_pty=$(head -1 "$work/$name.out")
}
map_port() {
  wine reg add 'HKLM\Software\Wine\Ports' /v "$1" /d "$2" /f > /dev/null 2>&1
}

start_unit unit1
pty1=$unit_pty
start_unit silent --silent
pty2=$unit_pty
start_unit unit10
pty10=$unit_pty
start_unit probe
pty3=$unit_pty
start_unit slow --delay 200  # pulled mid-write
pty6=$unit_pty
slow_unit=${pids[-1]}
map_port COM1 "$pty1"
map_port COM2 "$pty2"
map_port COM3 "$pty3"
map_port COM10 "$pty10"
map_port COM6 "$pty6"
# A port the system lists with nothing behind it, as a removed adapter's can be.
map_port COM5 /dev/zrt48210-no-such-adapter
restart_wine
# What tst_systemports finds behind each port.
export ZRT_TEST_PORTS="COM1=unit COM2=unit COM3=unit COM5=missing COM6=unit COM10=unit"


# --- The ctest programs built for Windows: their DLLs from Qt's and MinGW's folders.
say "ctest under Wine"
export WINEPATH="Z:$qt/bin;Z:$mingw_gcc;Z:/usr/x86_64-w64-mingw32/lib"
step=$(seconds)
# Now and then a test program under Wine finishes its cases and then never exits (seen with
# tst_link and tst_rules, whose logs end with their totals): such a timeout is run once more.
if ! ctest --test-dir "$build" --parallel 2 --repeat after-timeout:2 > "$work/ctest.log" 2>&1; then
  cat "$work/ctest.log"
  for log in "$build"/tests/tst_*.log; do grep -H -A6 'FAIL!' "$log" || true; done
  fail "ctest under Wine"
fi
grep -E 'Timeout|tests passed|Total Test time' "$work/ctest.log"
echo "ctest under Wine: $(elapsed "$step")"
unset WINEPATH

# --- The wire. From here on only the shipped files: the portable folder, run where it lies.
cli=$stage/zrt48210-cli.exe
say "zrt48210-cli.exe ports"
wine "$cli" ports | tr -d '\r' | tee "$work/ports.txt"
for port in COM1 COM2 COM3 COM5 COM6 COM10; do
  grep -qw "$port" "$work/ports.txt" || fail "ports does not list $port"
done

# identify PORT UNIT STATUS WORDS: the program's exit status and a word of its output, and
# the unit's log shows that @UVER reached it (UNIT - for none).
identify() {
  local port=$1 unit=$2 expected=$3 words=$4 status=0
  say "zrt48210-cli.exe identify --port $port"
  step=$(seconds)
  timeout 60 wine "$cli" identify --port "$port" > "$work/identify.txt" 2>&1 || status=$?
  tr -d '\r' < "$work/identify.txt"
  echo "exit status $status after $(elapsed "$step")"
  [ "$status" -ne 124 ] || fail "identify on $port hung"
  [ "$status" -eq "$expected" ] || fail "identify on $port ended with $status, not $expected"
  grep -q "$words" "$work/identify.txt" || fail "identify on $port did not say $words"
  [ "$unit" != - ] || return 0  # no unit behind it
  grep -q '^@UVER' "$work/$unit.log" || fail "the unit on $port never got @UVER"
  echo "the unit's log: $(grep -c '^@UVER' "$work/$unit.log") × @UVER"
}
identify COM1 unit1 0 'Ver1.02'
identify COM2 silent 3 'no answer'
# Above COM9: QSerialPort puts \\.\ in front itself.
identify COM10 unit10 0 'Ver1.02'
# Listed by the system, nothing behind it: said plainly, no crash and no hang.
identify COM5 - 3 'port not opened'

say "A settings file read from the unit, against the Linux build's"
(cd "$work" && timeout 60 wine "$cli" read -o windows.txt --port COM1 > /dev/null 2>&1) \
  || fail "read -o on COM1 failed"
(cd "$work" && timeout 60 "$host/zrt48210-cli" read -o linux.txt --port "$pty1" > /dev/null 2>&1) \
  || fail "the Linux build's read -o failed"
cmp "$work/windows.txt" "$work/linux.txt" || fail "the settings files differ"
echo "the same $(stat -c %s "$work/windows.txt") bytes"

# --- The record: a verified write to the unit and a write to the silent one, the same bytes as
# the Linux build's but for the time, the host and the port.
say "The record of writes, against the Linux build's"
cp "$source/tests/fuzz/corpus/settingsfile/digital" "$work/site.txt"
for port in COM1 COM2; do
  (cd "$work" && timeout 60 wine "$cli" write site.txt --verify --port "$port" \
     --record windows.csv > /dev/null 2>&1) || true
done
for pty in "$pty1" "$pty2"; do
  (cd "$work" && timeout 60 "$host/zrt48210-cli" write site.txt --verify --port "$pty" \
     --record linux.csv > /dev/null 2>&1) || true
done
[ -s "$work/windows.csv" ] || fail "the Windows build wrote no record"
masked() { python3 - "$1" <<'PY'
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline='')))
for row in rows[1:]:
    row[0] = row[1] = row[3] = row[4] = '*'   # time, station, adapter, its serial number
print(rows)
PY
}
head -c 3 "$work/windows.csv" | cmp -s - <(printf '\xEF\xBB\xBF') || fail "no byte order mark"
cmp <(head -1 "$work/windows.csv") <(head -1 "$work/linux.csv") || fail "the headers differ"
[ "$(masked "$work/windows.csv")" = "$(masked "$work/linux.csv")" ] \
  || { cat "$work/windows.csv" "$work/linux.csv"; fail "the records differ"; }
echo "the same header and fields in $(($(wc -l < "$work/windows.csv") - 1)) rows:"
cut -d, -f12,13 "$work/windows.csv" | tail -2

say "A record another program holds open, as Excel does"
x86_64-w64-mingw32-gcc-posix -O1 -Wall -o "$work/hold.exe" "$source/tests/wine/hold.c"
cp "$work/windows.csv" "$work/held.csv"
mkfifo "$work/hold.in"
sleep 300 > "$work/hold.in" &  # hold.exe keeps the file until its input ends
holding=$!
pids+=($holding)
wine "$work/hold.exe" "$(winepath -w "$work/held.csv")" excel < "$work/hold.in" \
  > "$work/hold.out" 2>&1 &
pids+=($!)
wait_for 30 grep -q held "$work/hold.out" || fail "hold.exe could not hold the record"
status=0
(cd "$work" && timeout 60 wine "$cli" write site.txt --port COM1 --record held.csv \
   > "$work/held.txt" 2>&1) || status=$?
kill "$holding"
tr -d '\r' < "$work/held.txt" | grep -- '--record'
[ "$status" -eq 3 ] || fail "write --record to a held record ended with $status, not 3"
grep -q '他のプログラムが開いています' "$work/held.txt" \
  || fail "the held record was not named as held by another program (in UTF-8)"
cmp -s "$work/windows.csv" "$work/held.csv" || fail "the held record was changed"
echo "exit status 3, and the record is as it was"

say "An adapter pulled mid-write (COM6: its unit ends after 3 s)"
step=$(seconds)
status=0
(cd "$work" && timeout 60 wine "$cli" write site.txt --port COM6 > "$work/pulled.txt" 2>&1) &
writing=$!
sleep 3
kill "$slow_unit"
wait "$writing" || status=$?
tr -d '\r' < "$work/pulled.txt" | grep 'port lost' || true
echo "exit status $status after $(elapsed "$step")"
[ "$status" -ne 124 ] || fail "write hung when its adapter was pulled"
[ "$status" -eq 3 ] || fail "write with its adapter pulled ended with $status, not 3"
grep -q 'port lost' "$work/pulled.txt" || fail "write with its adapter pulled did not say port lost"

say "Ctrl-C stops zrt48210-cli.exe with exit status 130"
# Wine turns SIGINT into the console's Ctrl-C event, which the program's handler takes.
sent=$(grep -c '^@' "$work/silent.log")
more_sent() { [ "$(grep -c '^@' "$work/silent.log")" -gt "$sent" ]; }
(cd "$work" && exec wine "$cli" write site.txt --port COM2 > "$work/ctrlc.txt" 2>&1) &
runner=$!
wait_for 30 more_sent || fail "the write to COM2 did not start"
kill -INT "$runner"
status=0
wait "$runner" || status=$?
tr -d '\r' < "$work/ctrlc.txt"
[ "$status" -eq 130 ] || fail "Ctrl-C ended it with $status, not 130"
echo "exit status 130"

say "What Wine does with a unit's reply, by hand (COM3, the practice unit)"
x86_64-w64-mingw32-gcc-posix -O1 -Wall -o "$work/serialprobe.exe" \
  "$source/tests/wine/serialprobe.c"
timeout 60 wine "$work/serialprobe.exe" COM3 | tr -d '\r' || echo "(the probe did not finish)"

# --- The window and the station under Xvfb.
for number in $(seq 71 99); do
  [ -e "/tmp/.X11-unix/X$number" ] || { display=:$number; break; }
done
Xvfb "$display" -screen 0 1280x900x24 -noreset > /dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
wait_for 10 xdotool getmouselocation > /dev/null 2>&1 || fail "Xvfb did not start"

# Wine's desktop takes the display its server was started with.
restart_wine

window_of() { xdotool search --name "$1" 2>/dev/null | head -1; }
has_window() { [ -n "$(window_of "$1")" ]; }
# Closes the window titled $1 with Alt+F4, as a user would, and answers 終了確認 with OK.
close_and_confirm() {
  local main box
  main=$(window_of "$1")
  xdotool mousemove --window "$main" 300 300 click 1
  xdotool key alt+F4
  wait_for 20 has_window '終了確認' || return 1
  box=$(window_of '終了確認')
  xdotool windowfocus "$box"
  xdotool key Return
}

say "zrt48210.exe (portable) under Xvfb"
rm -f "$stage/system.ini"
wine "$stage/zrt48210.exe" > "$work/window.log" 2>&1 &
window_pid=$!
wait_for 60 has_window 'ZRT48210設定プログラム' || fail "the main window did not show"
# Mapped is not yet painted: a moment for the pixels (nothing is asserted on time).
sleep 2
mkdir -p "$source/docs/screenshots"
import -display "$display" -window "$(window_of 'ZRT48210設定プログラム')" \
  "$source/docs/screenshots/windows.png"
echo "screenshot: $source/docs/screenshots/windows.png"
close_and_confirm 'ZRT48210設定プログラム' || fail "the window did not ask 終了確認"
wait "$window_pid" || true
[ -f "$stage/system.ini" ] || fail "no system.ini beside the portable program"
printf ' 1 \r\n 38400 \r\nE\r\n 8 \r\n1\r\n' | cmp - "$stage/system.ini" \
  || { od -c "$stage/system.ini"; fail "system.ini is not the five default lines"; }
echo "system.ini beside the portable program: the five default lines, byte for byte"
rm -f "$stage/system.ini"

say "zrt48210-station.exe under Xvfb"
wine "$stage/zrt48210-station.exe" > "$work/station.log" 2>&1 &
station_pid=$!
wait_for 60 has_window '生産ステーション' || fail "the station's window did not show"
sleep 2
import -display "$display" -window "$(window_of '生産ステーション')" "$build/station.png"
echo "station screenshot: $build/station.png"
kill "$station_pid" 2>/dev/null || true
restart_wine

# --- The installer.
say "The installer, silently"
programs="$WINEPREFIX/drive_c/Program Files/ZRT48210"
appdata=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
appdata_unix=$(winepath -u "$appdata")
rm -f "$appdata_unix/zrt48210/system.ini"
step=$(seconds)
wine "$installer" /S
wait_for 120 test -f "$programs/uninstall.exe" || fail "the installer put nothing in $programs"
echo "installed in $(elapsed "$step"): $(ls "$programs" | tr '\n' ' ')"
version=$(wine 'C:\Program Files\ZRT48210\zrt48210-cli.exe' --version | tr -d '\r')
echo "installed zrt48210-cli.exe --version: $version"
[[ $version == "zrt48210-cli "* ]] || fail "the installed command line did not answer"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZRT48210"
[ -f "$menu/ZRT48210設定プログラム.lnk" ] && [ -f "$menu/ZRT48210生産ステーション.lnk" ] \
  || fail "the Start-menu entries are missing"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZRT48210' \
  /v DisplayName > /dev/null 2>&1 || fail "Apps & features does not list it"

wine 'C:\Program Files\ZRT48210\zrt48210.exe' > "$work/installed.log" 2>&1 &
window_pid=$!
wait_for 60 has_window 'ZRT48210設定プログラム' || fail "the installed window did not show"
close_and_confirm 'ZRT48210設定プログラム' || fail "the installed window did not ask 終了確認"
wait "$window_pid" || true
[ ! -f "$programs/system.ini" ] \
  || fail "the installed program wrote system.ini under Program Files"
printf ' 1 \r\n 38400 \r\nE\r\n 8 \r\n1\r\n' | cmp - "$appdata_unix/zrt48210/system.ini" \
  || fail "the installed program's system.ini is not in %APPDATA%\\zrt48210"
echo "the installed program keeps system.ini in $appdata\\zrt48210"

say "The uninstaller, silently"
wine 'C:\Program Files\ZRT48210\uninstall.exe' /S
wait_for 120 test ! -e "$programs" || fail "the uninstaller left $programs"
[ ! -e "$menu" ] || fail "the uninstaller left the Start-menu entries"
if wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZRT48210' \
     > /dev/null 2>&1; then
  fail "the uninstaller left its Apps & features entry"
fi
echo "removed: the folder, the Start-menu entries and the Apps & features entry"
say "Every Wine test passed"
