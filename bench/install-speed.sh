#!/bin/bash
# Benchmark (not a test): a full installation under Wine against extracting
# the same archive with acetool in the same prefix, side by side.
#   A product of BENCH_INSTALL_MB (default 200) MB in BENCH_INSTALL_FILES
#   (default 5000) files, text-like and random, is built into a medium with
#   `pelmora-pack build --arch win64`; then, BENCH_ROUNDS times (default 3),
#   `acetool x` of its DATA.c00 and a whole installation (wizard driven by
#   wintool, from Next on the welcome page to the finished page) are timed.
#   The best of each counts; the ratio is installation over extraction.
#
# usage: bench/install-speed.sh   (needs make host win64)
set -euo pipefail
# The wizard needs a screen; without one, a private virtual screen.
[ -n "${DISPLAY:-}" ] || exec "$(dirname "$0")/../scripts/with-display.sh" "$0" "$@"
. "$(dirname "$0")/lib.sh"
w64="$repo/build/win64"
pack="$repo/build/host/tools/pelmora-pack/pelmora-pack"
work="${BENCH_WORK:-$repo/build/bench-install}"
mb=${BENCH_INSTALL_MB:-200} files=${BENCH_INSTALL_FILES:-5000} rounds=${BENCH_ROUNDS:-3}
require "make host win64" "$pack" "$w64/app/Install.exe" "$w64/tools/acetool/acetool.exe" \
  "$w64/tests/uia/wintool.exe"

rm -rf "$work"; mkdir -p "$work"
prefix="$work/prefix"
echo "bench: $files files, $mb MB"
"$here/make-product-payload.sh" "$work/payload" "$mb" "$files"
cat > "$work/product.ini" <<'INI'
[product]
name = Pelmora Bench
version = 1.0.0.0
uninstall-key = PelmoraBench
directory = C:\Bench
uninstaller = no
[archive]
method = lz77
INI
"$pack" build "$work/product.ini" "$work/payload" "$work/medium" --arch win64 >/dev/null
du -sh "$work/medium"

. "$repo/tests/e2e/lib.sh"
"$repo/scripts/wine-prefix.sh" start "$prefix"
trap '"$repo/scripts/wine-prefix.sh" stop "$prefix"' EXIT
e2e_init "$prefix" "$w64/tests/uia/wintool.exe" "$work/artefacts"
trap 'stop_programs; "$repo/scripts/wine-prefix.sh" stop "$prefix"' EXIT
now() { date +%s.%N; }
best_extract=999999 best_install=999999
rm -rf "$prefix/drive_c/medium"; cp -r "$work/medium" "$prefix/drive_c/medium"
for round in $(seq "$rounds"); do
  rm -rf "$prefix/drive_c/Bench" "$prefix/drive_c/Extract"
  start=$(now)
  e2e_wine "$w64/tools/acetool/acetool.exe" x 'C:\medium\DATA.c00' 'C:\Extract' >/dev/null 2>&1
  t=$(echo "$(now) - $start" | bc)
  best_extract=$(echo "if ($t < $best_extract) $t else $best_extract" | bc)
  start_program setup "$prefix/drive_c/medium/Install.exe"
  ui --timeout 60 click Welcome "&Next >" >/dev/null
  ui_wait_line Installation "id=405 " 10
  start=$(now)
  ui click Installation "&Next >" >/dev/null
  ui --timeout 1800 wait Finished >/dev/null
  t=$(echo "$(now) - $start - 1" | bc)  # less the page's one-second start delay
  ui click Finished "&Finish" >/dev/null
  wait_program "$last_pid" 30 || true
  best_install=$(echo "if ($t < $best_install) $t else $best_install" | bc)
  echo "round $round: acetool x best ${best_extract}s, installation best ${best_install}s"
done
printf 'acetool x: %.1f s, installation: %.1f s, ratio %.2f\n' "$best_extract" "$best_install" \
  "$(echo "$best_install / $best_extract" | bc -l)"
