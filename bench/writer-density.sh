#!/bin/bash
# Density of the ACE 2.0 writer on Windows programs (not a test). Three
# payloads of 14 to 17 MB, each made from files Debian packages ship, so
# that every machine with the same packages gets the same bytes:
#   win64  x86-64 PE files as Debian ships them, with their debug sections:
#          the MinGW-w64 runtime's DLLs and Wine's programs and libraries
#   win32  the same programs and DLLs for i686 (Wine's i386-windows files,
#          the i686 MinGW-w64 runtime)
#   mix    pictures (24-bit photographs and an 8-bit palette picture as BMP,
#          made by ImageMagick from MATE's backgrounds and its own logo),
#          sounds (speech by espeak-ng, plucked strings by sox, as WAV),
#          documentation texts and a few i686 programs
# Each is packed by `acetool c --method ace20 --solid --group-by-type
# --level 5 --dictionary-bits 22` and, as one tar stream (in the names'
# order), by zstd -19, xz -9, xz with
# the same 4 MiB dictionary and gzip -9; each archive is tested with
# `acetool t`. Times are processor times (user and system), the best of
# BENCH_ROUNDS runs (default 3), ours and xz's with the 4 MiB dictionary
# taking turns: the machine is shared, and its wall-clock times vary with
# the others' load far more than the packers' own work does.
#
# usage: bench/writer-density.sh [BUILD_DIR]   (default: build/host)
# BENCH_WORK sets the scratch folder (default BUILD_DIR/bench-density),
# BENCH_PAYLOADS the payloads (default "win64 win32 mix").
# BEFORE_ACETOOL names another acetool (e.g. one built from an older commit)
# whose packing time and size are measured interleaved with ours, with the
# same options (BEFORE_OPTIONS replaces them, e.g. to leave out
# --group-by-type).
# The last lines are the rows of README's table.
set -euo pipefail

. "$(dirname "$0")/lib.sh"
build=$(cd "${1:-$repo/build/host}" && pwd)
acetool="$build/tools/acetool/acetool"
work="${BENCH_WORK:-$build/bench-density}"
rounds="${BENCH_ROUNDS:-3}"
payloads="${BENCH_PAYLOADS:-win64 win32 mix}"
# Similar files side by side in the solid stream: programs with programs,
# libraries with libraries.
options=(--method ace20 --solid --group-by-type --level 5 --dictionary-bits 22)
read -r -a before_options <<<"${BEFORE_OPTIONS:-${options[*]}}"

require "make host" "$acetool"
need_package zstd zstd
need_package xz xz-utils
need_package /usr/bin/time time
need_package convert imagemagick
need_package sox sox
need_package espeak-ng espeak-ng

# Copies FILE into folder $3, installing PACKAGE first if FILE is missing.
need_file() {
  local file=$1 package=$2
  if [ ! -e "$file" ]; then
    [ "$(id -u)" -eq 0 ] || die "$file is missing (apt-get install $package)"
    apt-get install -y -qq "$package" >/dev/null 2>&1 \
      || { apt-get update -qq && apt-get install -y -qq "$package" >/dev/null; }
    [ -e "$file" ] || die "$package did not bring $file"
  fi
  [ -z "${3:-}" ] || cp "$file" "$3/"
}

wine64=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
wine32=/usr/lib/i386-linux-gnu/wine/i386-windows
mingw64=/usr/lib/gcc/x86_64-w64-mingw32/12-win32
mingw32=/usr/lib/gcc/i686-w64-mingw32/12-win32
backgrounds=/usr/share/backgrounds/mate
programs="notepad.exe explorer.exe regedit.exe wordpad.exe winecfg.exe cmd.exe riched20.dll"
runtime="libgomp-1 libquadmath-0 libobjc-4 libssp-0 libatomic-1"

make_win64() {
  local to=$1/bin file
  mkdir -p "$to"
  for file in $runtime libgcc_s_seh-1; do need_file "$mingw64/$file.dll" gcc-mingw-w64-x86-64-win32-runtime "$to"; done
  for file in $programs; do need_file "$wine64/$file" libwine "$to"; done
}

make_win32() {
  local to=$1/bin file
  mkdir -p "$to"
  for file in $runtime libgcc_s_dw2-1; do need_file "$mingw32/$file.dll" gcc-mingw-w64-i686-win32-runtime "$to"; done
  for file in $programs; do need_file "$wine32/$file" libwine:i386 "$to"; done
}

make_mix() {
  local to=$1 file
  mkdir -p "$to/bin" "$to/pictures" "$to/sounds" "$to/doc"
  for file in wordpad.exe winecfg.exe riched20.dll; do need_file "$wine32/$file" libwine:i386 "$to/bin"; done
  # Photographs at a size a setup program shows, in the 24-bit BMP a
  # Windows program loads without help; a rendered picture reduced to 256
  # colours, as wizard pictures often are; ImageMagick's own logo, a drawing.
  for file in Dune LadyBird RainDrops; do
    need_file "$backgrounds/nature/$file.jpg" mate-backgrounds
    convert "$backgrounds/nature/$file.jpg" -resize '800x600!' -type TrueColor "BMP3:$to/pictures/$file.bmp"
  done
  need_file "$backgrounds/desktop/Stripes.png" mate-backgrounds
  convert "$backgrounds/desktop/Stripes.png" -resize '640x480!' -colors 256 -type Palette -compress None \
    "BMP3:$to/pictures/Stripes.bmp"
  convert logo: -type TrueColor "BMP3:$to/pictures/logo.bmp"
  # Speech (16-bit mono at 22,050 Hz) and music (16-bit stereo at 44.1 kHz;
  # -R seeds sox's noise the same way every time, -D leaves out dither).
  awk '/Preamble/ {on = 1} on && n++ < 20' /usr/share/common-licenses/GPL-3 >"$work/speech.txt"
  espeak-ng -v en -s 160 -w "$to/sounds/speech.wav" -f "$work/speech.txt"
  sox -R -D -n -r 44100 -c 2 -b 16 "$to/sounds/music.wav" synth 12 pluck C3 pluck G3 fade 0 12 3 reverb 40
  for file in GPL-3 GPL-2 LGPL-2.1 LGPL-3 Apache-2.0 MPL-2.0 GFDL-1.3 Artistic; do
    cp "/usr/share/common-licenses/$file" "$to/doc/$file.txt"
  done
  zcat /usr/share/doc/imagemagick-6-common/changelog.gz >"$to/doc/imagemagick-changelog.txt"
  zcat /usr/share/doc/sox/changelog.gz >"$to/doc/sox-changelog.txt"
  zcat /usr/share/doc/libwine/changelog.Debian.gz >"$to/doc/wine-changelog.txt"
  zcat /usr/share/doc/libwine/AUTHORS.gz >"$to/doc/wine-authors.txt"
}

# Processor time (user and system) of the command, in seconds; its output
# goes to $work/command.log.
cpu_time() {
  /usr/bin/time -f '%U %S' -o "$work/time.log" "$@" >"$work/command.log" 2>&1 \
    || { cat "$work/command.log" >&2; die "$1 failed"; }
  tail -n 1 "$work/time.log" | awk '{print $1 + $2}'
}
smaller() { awk -v a="$1" -v b="$2" 'BEGIN {print (b < a) ? b : a}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
verdict() { if awk "BEGIN {exit !($1)}"; then echo "met"; else echo "MISSED"; fi; }
group() { echo "$1" | sed ':a; s/\B[0-9]\{3\}\>/,&/; ta'; }

rows=()
for name in $payloads; do
  declare -F "make_$name" >/dev/null || die "no payload named $name"
  rm -rf "$work"
  payload="$work/payload"
  mkdir -p "$payload"
  "make_$name" "$payload"
  find "$payload" -exec touch -h -d "2024-01-01 00:00:00 UTC" {} +
  payload_bytes=$(find "$payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
  files=$(find "$payload" -type f | wc -l)
  tar --sort=name --mtime=@1704067200 --owner=0 --group=0 -C "$payload" -cf "$work/payload.tar" .
  zstd_bytes=$(zstd -19 -q -c "$work/payload.tar" | wc -c)
  xz9_bytes=$(xz -9 -c "$work/payload.tar" | wc -c)
  xz4_bytes=$(xz --lzma2=preset=9,dict=4MiB -c "$work/payload.tar" | wc -c)
  gzip_bytes=$(gzip -9 -c "$work/payload.tar" | wc -c)

  ours_seconds=999999 before_seconds=999999 xz_seconds=999999
  for _ in $(seq "$rounds"); do
    rm -f "$work/ours.ace" "$work/before.ace"
    seconds=$(cpu_time "$acetool" c "$work/ours.ace" "$payload" "${options[@]}" --quiet)
    ours_seconds=$(smaller "$ours_seconds" "$seconds")
    if [ -n "${BEFORE_ACETOOL:-}" ]; then
      seconds=$(cpu_time "$BEFORE_ACETOOL" c "$work/before.ace" "$payload" "${before_options[@]}" --quiet)
      before_seconds=$(smaller "$before_seconds" "$seconds")
    fi
    seconds=$(cpu_time xz --lzma2=preset=9,dict=4MiB -k -f "$work/payload.tar")
    xz_seconds=$(smaller "$xz_seconds" "$seconds")
  done
  ours_bytes=$(stat -c %s "$work/ours.ace")
  cpu_time "$acetool" t "$work/ours.ace" >/dev/null || die "the $name archive does not test"

  echo "payload $name: $payload_bytes bytes in $files files"
  printf '  %-44s %12s %10s %8s\n' "packer" "bytes" "of xz 4MiB" "time"
  printf '  %-44s %12s %10s %7ss\n' "acetool c ace20 --solid --group-by-type" "$ours_bytes" \
    "$(ratio "$ours_bytes" "$xz4_bytes")" "$ours_seconds"
  if [ -n "${BEFORE_ACETOOL:-}" ]; then
    before_bytes=$(stat -c %s "$work/before.ace")
    printf '  %-44s %12s %10s %7ss\n' "the same, BEFORE_ACETOOL" "$before_bytes" \
      "$(ratio "$before_bytes" "$xz4_bytes")" "$before_seconds"
  fi
  printf '  %-44s %12s %10s\n' "zstd -19 (tar)" "$zstd_bytes" "$(ratio "$zstd_bytes" "$xz4_bytes")"
  printf '  %-44s %12s %10s\n' "xz -9 (tar)" "$xz9_bytes" "$(ratio "$xz9_bytes" "$xz4_bytes")"
  printf '  %-44s %12s %10s %7ss\n' "xz, 4 MiB dictionary (tar)" "$xz4_bytes" "1.000" "$xz_seconds"
  printf '  %-44s %12s %10s\n' "gzip -9 (tar)" "$gzip_bytes" "$(ratio "$gzip_bytes" "$xz4_bytes")"
  echo "  target: below zstd -19: $(verdict "$ours_bytes < $zstd_bytes");" \
    "at most 1.08 x xz 4 MiB: $(verdict "$ours_bytes <= 1.08 * $xz4_bytes");" \
    "at most twice xz's time: $(verdict "$ours_seconds <= 2 * $xz_seconds")"
  cell() { echo "$(group "$1") ($(ratio "$1" "$xz4_bytes"))"; }
  rows+=("| $name, $(awk -v b="$payload_bytes" 'BEGIN {printf "%.1f", b / 1e6}') MB | $(cell "$ours_bytes") |\
 $(cell "$zstd_bytes") | $(cell "$xz9_bytes") | $(group "$xz4_bytes") | $(cell "$gzip_bytes") |\
 $ours_seconds s / $xz_seconds s ($(ratio "$ours_seconds" "$xz_seconds")) |")
done
echo "| payload | acetool | zstd -19 | xz -9 | xz 4 MiB | gzip -9 | time, acetool / xz 4 MiB |"
echo "|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
rm -rf "$work"
