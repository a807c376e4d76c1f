# Sourced by the scripts that drive the real program under X: clicks on controls by their names,
# at the places the control table gives them, as zrt-controlplaces measures them on this display;
# waits for a state and answers to message boxes.
#   under_xvfb "$@"              first thing in a test: runs the test again on a display of its own
#   drive_window WINDOW-ID PATH-OF-zrt-controlplaces    (fails when the places cannot be read)
#   click NAME                                          a control of the main window
#   menu MENU ITEM                                      an item of a menu of the main window
#   wait_for WHAT COMMAND...     until COMMAND succeeds (10 s), else calls the caller's `fail`
#   visible TITLE                whether a window whose title matches TITLE is shown
#   answer TITLE KEYS...         the keys to the message box or dialog of that title, once shown
under_xvfb() {
  for tool in Xvfb xdotool; do
    command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  # Window titles are Japanese: xdotool matches them only in a UTF-8 locale.
  export LC_ALL=C.UTF-8
  unset QT_QPA_PLATFORM
  [ -z "${ZRT_UNDER_XVFB:-}" ] || return 0
  # The server picks a free display number itself and says which: two tests started side by
  # side never take the same one, as they can with xvfb-run -a. Without -noreset the server resets
  # whenever its last client leaves (each xdotool call) and drops a program connecting meanwhile.
  local ready server status=0
  ready=$(mktemp)
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3> "$ready" 2> /dev/null &
  server=$!
  for _ in $(seq 1000); do
    [ -s "$ready" ] && break
    kill -0 "$server" 2> /dev/null || break
    sleep 0.01
  done
  if [ ! -s "$ready" ]; then
    echo "Xvfb did not start" >&2
    kill "$server" 2> /dev/null
    exit 1
  fi
  DISPLAY=":$(head -n 1 "$ready")" ZRT_UNDER_XVFB=1 "$0" "$@" || status=$?
  kill "$server" 2> /dev/null
  wait "$server" 2> /dev/null
  rm -f "$ready"
  exit "$status"
}
drive_window() {
  window=$1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The client area (673 x 550 pixels) lies under the menu bar.
  top=$((HEIGHT - 550))
  declare -gA X Y
  local name x y
  while read -r name x y; do X[$name]=$x; Y[$name]=$y; done < <("$2" 2>/dev/null)
  [ -n "${X[cmdPort]:-}" ]
}
click() {
  xdotool mousemove --window "$window" "${X[$1]}" $((top + Y[$1])) click 1
  sleep "${CLICK_PAUSE:-0.3}"
}
menu() {
  xdotool mousemove --window "$window" "${X[$1]}" "${Y[$1]}" click 1
  sleep 0.4
  xdotool mousemove --window "$window" "${X[$2]}" "${Y[$2]}" click 1
  sleep 0.4
}
wait_for() {
  local what=$1
  shift
  for _ in $(seq 200); do
    "$@" && return 0
    sleep 0.05
  done
  fail "timed out waiting for $what"
}
visible() { xdotool search --onlyvisible --name "$1" > /dev/null 2>&1; }
answer() {
  local title=$1
  shift
  wait_for "the box $title" visible "^$title\$"
  local box
  box=$(xdotool search --onlyvisible --name "^$title\$" | head -n 1)
  # Without a window manager a new box does not take the focus by itself.
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key --delay 50 "$@"
  sleep 0.4
}
