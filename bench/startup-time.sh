#!/bin/bash
# Benchmark (not a test): the setup program's start-up time under Wine, from
# its start to the welcome page in English (the caption "Welcome" is set by
# the language step, after the description has been read and the library
# written), side by side with a program that only opens one plain window.
# Both are timed the same way: start, then one wintool call that waits for
# the window; the best of BENCH_ROUNDS (default 7) counts.
#
# usage: bench/startup-time.sh   (needs make host win32)
set -euo pipefail
[ -n "${DISPLAY:-}" ] || exec "$(dirname "$0")/../scripts/with-display.sh" "$0" "$@"
. "$(dirname "$0")/lib.sh"
w32="$repo/build/win32"
pack="$repo/build/host/tools/pelmora-pack/pelmora-pack"
work="${BENCH_WORK:-$repo/build/bench-startup}"
rounds=${BENCH_ROUNDS:-7}
require "make host win32" "$pack" "$w32/app/Install.exe" "$w32/bench/minimal_window.exe" \
  "$w32/tests/uia/wintool.exe"

rm -rf "$work"; mkdir -p "$work/payload"
printf 'Pelmora\r\n' >"$work/payload/liesmich.txt"
cat >"$work/product.ini" <<'INI'
[product]
name = Pelmora Bench
version = 1.0.0.0
uninstall-key = PelmoraStartupBench
directory = C:\Bench
uninstaller = no
INI
"$pack" build "$work/product.ini" "$work/payload" "$work/medium" --arch win32 >/dev/null

. "$repo/tests/e2e/lib.sh"
prefix="$work/prefix"
"$repo/scripts/wine-prefix.sh" start "$prefix"
e2e_init "$prefix" "$w32/tests/uia/wintool.exe" "$work/artefacts"
trap 'stop_programs; "$repo/scripts/wine-prefix.sh" stop "$prefix"' EXIT
unset PELMORA_TEST_LANGUAGE_NAME

# Seconds from the start of PROGRAM until a window CAPTION is visible; then
# the window is closed with the wintool command given after the caption and
# the program waited for, so that the next round starts afresh.
time_to_window() {
  local program=$1 caption=$2 start end; shift 2
  start=$(date +%s.%N)
  start_program timed "$program"
  ui --timeout 60 wait "$caption" >/dev/null
  end=$(date +%s.%N)
  ui "$@" >/dev/null
  wait_program "$last_pid" 20 >/dev/null || true
  ui --timeout 20 gone "$caption" >/dev/null
  echo "$end - $start" | bc
}
best() { printf '%s\n' "$@" | sort -n | head -n 1; }

time_to_window "$w32/bench/minimal_window.exe" Minimal close Minimal >/dev/null  # warms the prefix up
minimal=() setup=()
for _ in $(seq "$rounds"); do
  minimal+=("$(time_to_window "$w32/bench/minimal_window.exe" Minimal close Minimal)")
  setup+=("$(time_to_window "$work/medium/Install.exe" Welcome click Welcome "&Cancel")")
done
m=$(best "${minimal[@]}") s=$(best "${setup[@]}")
printf 'one plain window: %.2f s, setup to its welcome page: %.2f s, difference %.2f s\n' \
  "$m" "$s" "$(echo "$s - $m" | bc)"
