#!/bin/bash
# start PREFIX: start a persistent wineserver for the private prefix (its pid is
#               kept in PREFIX.pid) and create the prefix on first use.
# stop PREFIX:  stop that wineserver by its process id.
set -u
cmd=$1 prefix=$2
pidfile="$prefix.pid"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
server=""
for s in /usr/bin/wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
  [ -x "$s" ] && { server=$s; break; }
done
[ -n "$server" ] || { echo "wineserver not found (apt-get install wine64)" >&2; exit 1; }

case "$cmd" in
start)
  mkdir -p "$prefix"
  if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
    exit 0
  fi
  setsid "$server" -f -p >/dev/null 2>&1 < /dev/null &
  echo $! > "$pidfile"
  # Boot the prefix here, with its output going nowhere: wine's service
  # processes live on after a program ends, and when a test program started
  # them they would hold the test's output pipe open and the test would
  # never be seen to finish. The boot runs on a display of its own: the
  # desktop it creates keeps the graphics driver it found, and without a
  # display that is none, so no later program could open a window. The
  # desktop process ends with that display; the first program that opens a
  # window starts it again on its own display.
  boot=""
  [ -f "$prefix/system.reg" ] || boot="-i"
  "$(dirname "$0")/with-display.sh" "$(dirname "$0")/wine-bin.sh" wineboot $boot >/dev/null 2>&1 < /dev/null ||
    { echo "wineboot failed" >&2; exit 1; }
  # Windows live on one virtual desktop that Wine draws itself, frames and
  # captions included, as Windows would; without it, on an X server with no
  # window manager, a window has neither.
  if [ -n "$boot" ]; then
    # The desktop as large as the screen (PELMORA_SCREEN, as Xvfb takes it:
    # WIDTHxHEIGHTxDEPTH), without the depth, which Wine does not read.
    screen=${PELMORA_SCREEN:-800x600}
    [ "${screen//[^x]/}" = xx ] && screen=${screen%x*}
    for setting in 'HKCU\Software\Wine\Explorer /v Desktop /d Default' \
                   "HKCU\\Software\\Wine\\Explorer\\Desktops /v Default /d $screen"; do
      # shellcheck disable=SC2086
      "$(dirname "$0")/with-display.sh" "$(dirname "$0")/wine-bin.sh" reg add $setting /f \
        >/dev/null 2>&1 < /dev/null
    done
    # The desktop started on the way has already decided; a fresh server
    # starts the next one with the setting.
    "$0" stop "$prefix" && exec "$0" start "$prefix"
  fi
  exit 0
  ;;
stop)
  # The server and wine's own service processes of this prefix, by pid.
  pids=""
  [ -f "$pidfile" ] && pids=$(cat "$pidfile")
  for envf in $(grep -lzx -F "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
    p=${envf#/proc/}; p=${p%/environ}
    [ "$p" != "$$" ] && pids="$pids $p"
  done
  [ -n "$pids" ] && kill $pids 2>/dev/null
  for _ in $(seq 30); do
    alive=""
    for p in $pids; do kill -0 "$p" 2>/dev/null && alive="$alive $p"; done
    [ -z "$alive" ] && break
    sleep 0.1
  done
  [ -n "${alive:-}" ] && kill -9 $alive 2>/dev/null
  rm -f "$pidfile"
  ;;
*) echo "usage: $0 start|stop PREFIX" >&2; exit 2 ;;
esac
