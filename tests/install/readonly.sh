#!/usr/bin/env bash
# The installed program in a folder it cannot write, under Xvfb against the unit simulator:
# system.ini appears in the user's configuration folder with the exact bytes and is read back at
# the next start, and by the installed command line; when that folder cannot be written either, a box says so at close and the
# program still ends.
#   readonly.sh BUILD_DIR SIMULATOR CONTROLPLACES
set -euo pipefail
build=$1
simulator=$2
places=$3
. "$(dirname "$0")/../../scripts/drive.sh"
under_xvfb "$@"

work=$(mktemp -d)
mkdir -m 700 "$work/run"
pids=()
mounts=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # A program still running from a mounted folder keeps it busy.
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  for folder in "${mounts[@]}"; do umount "$folder" 2>/dev/null || umount -l "$folder" || true; done
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Read-only for real: root ignores permission bits, so it gets a read-only bind mount.
read_only() {
  if [ "$(id -u)" -eq 0 ]; then
    mount --bind "$1" "$1" 2> /dev/null || { echo "skipped: no right to mount"; exit 77; }
    mounts+=("$1")
    mount -o remount,ro,bind "$1" || { echo "skipped: no right to remount read-only"; exit 77; }
  else
    chmod a-w "$1"
  fi
  if touch "$1/probe" 2> /dev/null; then fail "$1 is still writable"; fi
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr > /dev/null
bin="$work/root/usr/bin"
read_only "$bin"
ini="$work/config/zrt48210/system.ini"

"$simulator" --quiet --model 48210 --log "$work/unit.log" > "$work/pty" &
pids+=($!)
wait_for "the simulator" test -s "$work/pty"
pty=$(head -n 1 "$work/pty")

start() {  # options of the installed program; waits for its window
  XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" "$bin/zrt48210" "$@" &
  app=$!
  pids+=("$app")
  wait_for "the main window" visible 'ZRT48210'
  drive_window "$(xdotool search --onlyvisible --name 'ZRT48210' | head -n 1)" "$places" \
    || fail "no control places"
}
ended() { ! kill -0 "$app" 2> /dev/null; }
close() {
  click cmdEnd
  answer 終了確認 Return
}

# First start: no system.ini anywhere; the defaults are written to the user's folder.
start
close
wait_for "the end of the program" ended
printf ' 1 \r\n 38400 \r\nE\r\n 8 \r\n1\r\n' > "$work/defaults.ini"
cmp "$ini" "$work/defaults.ini" || fail "system.ini in the user's folder differs"
[ ! -e "$bin/system.ini" ] || fail "system.ini beside the read-only program"

# Next start reads it: COM4 answers only if port 4 was read back.
printf ' 4 \r\n 9600 \r\nO\r\n 7 \r\n2\r\n' > "$work/remembered.ini"
cp "$work/remembered.ini" "$ini"

# The installed command line reads the same file. A unit that never answers keeps the line open
# with its settings while the command line waits (closing restores the old ones).
"$simulator" --quiet --silent --log "$work/silent.log" > "$work/silentpty" &
pids+=($!)
wait_for "the silent simulator" test -s "$work/silentpty"
silent=$(head -n 1 "$work/silentpty")
XDG_CONFIG_HOME="$work/config" "$bin/zrt48210-cli" identify --port "$silent" > /dev/null 2>&1 &
cli=$!
pids+=("$cli")
wait_for "the command line's identification request" grep -qxF @UVER "$work/silent.log"
line=$(stty -F "$silent" -a)
grep -q 'speed 9600 baud' <<< "$line" || fail "the command line ignored the user's speed: $line"
# A pseudo-terminal keeps 8 data bits and no parity bit, but the odd parity flag and 2 stop bits.
grep -qw 'parodd' <<< "$line" && grep -qw 'cstopb' <<< "$line" \
  || fail "the command line ignored the user's line settings: $line"
wait "$cli" || true  # no answer: it ends on its own

start --port COM4="$pty"
click cmdPort
wait_for "the identification request on COM4" grep -qxF @UVER "$work/unit.log"
sleep 0.5  # lets the reply be dispatched; nothing is awaited after it
close
wait_for "the end of the program" ended
cmp "$ini" "$work/remembered.ini" || fail "system.ini changed on its way through the program"

# Neither place can be written: one box at close, then the program ends anyway.
read_only "$work/config/zrt48210"
start
close
answer 保存エラー Return
wait_for "the end of the program" ended
cmp "$ini" "$work/remembered.ini" || fail "the old system.ini was lost"
echo "installed program: settings kept in the user's folder"
