#!/bin/bash
# usage: run-with-display.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows test program under Wine like scripts/wine-run.sh. The helper
# programs it starts open windows, which Wine can only create on an X
# display: when none is set, a private Xvfb is started on a display number
# it picks itself as free, and is stopped by its pid when the run ends.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
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
  Xvfb -displayfd 3 -nolisten tcp -screen 0 640x480x24 3>"$display_file" >/dev/null 2>&1 &
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
"$root/scripts/wine-run.sh" "$@"
exit $?
