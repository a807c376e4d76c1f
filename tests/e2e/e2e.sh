#!/usr/bin/env bash
# The real program under Xvfb, driven by clicks and keys from the X server, against the unit
# simulator on a pseudo-terminal. Checks what reaches the line and the disk: connect, read-back,
# write-all with changed values, the error report, verify after write, the traffic log window
# and file, saving a file, and closing with OK.
#   e2e.sh PROGRAM SIMULATOR CONTROLPLACES
set -euo pipefail
program=$1
simulator=$2
places=$3
. "$(dirname "$0")/../../scripts/drive.sh"
under_xvfb "$@"

work=$(mktemp -d)
mkdir -m 700 "$work/run"
# system.ini lives beside the program: give it a folder of its own.
cp "$program" "$work/zrt48210"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/unit.log" ] && { echo "--- lines the unit received:" >&2; cat "$work/unit.log" >&2; }
  import -window root "/tmp/zrt-e2e-failure.png" 2>/dev/null \
    && echo "screen at the failure: /tmp/zrt-e2e-failure.png" >&2
  exit 1
}
log_has() { grep -qxF -- "$1" "$work/unit.log" 2>/dev/null; }
log_count() { [ "$(wc -l < "$work/unit.log" 2>/dev/null || echo 0)" -ge "$1" ]; }

"$simulator" --quiet --model 48210 --error-code 1003 --log "$work/unit.log" > "$work/pty" &
pids+=($!)
wait_for "the simulator" test -s "$work/pty"
pty=$(head -n 1 "$work/pty")

(cd "$work" && XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
  ./zrt48210 --port COM1="$pty" --log "$work/traffic.log") &
app=$!
pids+=("$app")
wait_for "the main window" visible 'ZRT48210'
drive_window "$(xdotool search --onlyvisible --name 'ZRT48210' | head -n 1)" "$places" \
  || fail "no control places"

# Connect and read back.
click cmdPort
wait_for "the identification request" log_has "@UVER"
sleep 0.5
click cmdDISP
wait_for "the read-back" log_has "@DISP"
sleep 0.5

# Change values as a person would.
click cmbFRBD; xdotool key Down Return; sleep 0.3          # バンド → １
click cmbMODE; xdotool key Down Down Return; sleep 0.3     # 動作モード → third entry
click cmdPDIR_0                                            # I/O1 → 入力
click txtSNUM; xdotool key ctrl+a; xdotool type 42; xdotool key Tab; sleep 0.3  # 子機台数

# Write all: seventeen commands with the changed values.
before=$(wc -l < "$work/unit.log")
click cmdAllSet
answer 設定確認 Return
wait_for "the write" log_count $((before + 17))
expected="@FRBD1 @FRCH0 @PDIR1000 @LOGI0 @AUIO0 @ADSL0 @DASL0 @MODE2 @TYPE0 @MYID001 \
@SNUM042 @REPT0 @ETIM005 @DIVR0 @PTIM000 @HOLD0 @DOUT0"
written=$(tail -n 17 "$work/unit.log" | tr '\n' ' ' | sed 's/ $//')
[ "$written" = "$expected" ] || fail "write-all sent: $written"
sleep 0.5

# The error report.
menu mnuProp mnuErr
wait_for "the error request" log_has "@UERR"
answer エラー情報 Return

# The --log file holds the lines of the wire.
grep -qF "$(printf '\t%s\t送信\t@DOUT0<CR><LF>' "$pty")" "$work/traffic.log" \
  || fail "the traffic log file lacks the last command of the write"

# Verify after write: after the acknowledged frequency write the unit is asked for its
# parameters, and the choice is kept in the user's configuration.
menu mnuEdit mnuVerify
before=$(wc -l < "$work/unit.log")
click cmdFrqSet
answer 設定確認 Return
wait_for "the read after the write" log_count $((before + 3))
verified=$(tail -n 3 "$work/unit.log" | tr '\n' ' ')
[ "$verified" = "@FRBD1 @FRCH0 @DISP " ] || fail "verify after write sent: $verified"
grep -q '^verifyAfterWrite=true$' "$work/config/zrt48210/zrt48210.conf" \
  || fail "the verify choice was not remembered"

# 情報 → 通信ログ opens its window beside the main window.
menu mnuProp mnuLog
wait_for "the traffic log window" visible '^通信ログ$'
# Without a window manager it may cover the main window's buttons: put it below.
xdotool windowmove "$(xdotool search --onlyvisible --name '^通信ログ$' | head -n 1)" 0 580
sleep 0.3

# Save to a file.
menu mnuFile mnuSave
answer 保存 ctrl+a
xdotool type --delay 20 "$work/saved.txt"
xdotool key Return
wait_for "the saved file" test -s "$work/saved.txt"
printf '\x83\x66\x83\x57\x83\x5e\x83\x8b\x83\x86\x83\x6a\x83\x62\x83\x67\r\nTYPE=0\r\nMODE=2\r\nMYID=001\r\nSNUM=042\r\nFRCH=0\r\nFRBD=1\r\nHOLD=0\r\nDIVR=0\r\nPDIR=1000\r\nLOGI=0\r\nAUIO=0\r\nADSL=0\r\nDASL=0\r\nREPT=0\r\nETIM=005\r\nPTIM=000\r\nDOUT=0\r\n\r\n' \
  > "$work/expected.txt"
cmp "$work/saved.txt" "$work/expected.txt" || fail "the saved file differs"

# Close with OK: the port is closed and system.ini written.
click cmdEnd
answer 終了確認 Return
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
kill -0 "$app" 2>/dev/null && fail "the program did not end"
printf ' 1 \r\n 38400 \r\nE\r\n 8 \r\n1\r\n' > "$work/expected.ini"
cmp "$work/system.ini" "$work/expected.ini" || fail "system.ini differs"
echo "1 passed, 0 failed"
