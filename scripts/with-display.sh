#!/bin/bash
# usage: with-display.sh COMMAND [ARGS...]
# Runs COMMAND with an X display. When none is set, a private Xvfb is started
# on a display number it picks itself as free, and stopped by its pid when
# the command ends.
set -u
xvfb_pid=""
display_file=""
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  [ -n "$display_file" ] && rm -f "$display_file"
}
if [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null || { echo "Xvfb not found (apt-get install xvfb)" >&2; exit 1; }
  display_file=$(mktemp)
  trap stop_xvfb EXIT
  Xvfb -displayfd 3 -nolisten tcp -screen 0 ${PELMORA_SCREEN:-800x600x24} 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  display=$(head -n 1 "$display_file")
  [ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$display"
fi
"$@"
exit $?
