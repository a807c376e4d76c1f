# Sourced by the scripts: start_unit [simulator options...] starts the unit simulator in the
# background, sets UNIT_PTY to its pseudo-terminal and UNIT_PID, and stops it on exit.
start_unit() {
  local out
  out=$(mktemp)
  build/tools/zrt-unitsim --quiet "$@" > "$out" &
  UNIT_PID=$!
  trap 'kill "$UNIT_PID" 2>/dev/null || true' EXIT
  UNIT_PTY=""
  for _ in $(seq 100); do
    UNIT_PTY=$(head -n 1 "$out" 2>/dev/null || true)
    [ -n "$UNIT_PTY" ] && break
    sleep 0.05
  done
  rm -f "$out"
  if [ -z "$UNIT_PTY" ]; then
    echo "the unit simulator did not start" >&2
    return 1
  fi
}
