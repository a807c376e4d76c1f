# Sourced by the scripts that drive the real program under X: clicks on controls by their names,
# at the places the control table gives them, as zrt-controlplaces measures them on this display.
#   drive_window WINDOW-ID PATH-OF-zrt-controlplaces    (fails when the places cannot be read)
#   click NAME                                          a control of the main window
#   menu MENU ITEM                                      an item of a menu of the main window
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
