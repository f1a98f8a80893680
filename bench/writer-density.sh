#!/bin/bash
# Density of the ACE 2.0 writer on Windows programs (not a test): a payload
# of about 17 MB, mostly x86-64 PE files with their debug sections (the
# MinGW-w64 runtime DLLs and Wine's PE programs, as Debian ships them), plus
# a true-colour BMP, a 16-bit stereo WAV and licence texts, is packed by
# `acetool c --method ace20 --solid --level 5 --dictionary-bits 22` and, as
# one tar stream, by zstd -19, xz -9, xz with the same 4 MiB dictionary and
# gzip -9. The archive is tested with `acetool t`; the packing time is the
# processor time (user and system) of `acetool c`, the best of BENCH_ROUNDS
# runs (default 3): the machine is shared, and its wall-clock times vary
# with the others' load far more than the writer's own work does.
#
# usage: bench/writer-density.sh [BUILD_DIR]   (default: build/host)
# BENCH_WORK sets the scratch folder (default BUILD_DIR/bench-density).
# BEFORE_ACETOOL names another acetool (e.g. one built from an older commit)
# whose packing time and size are measured interleaved with ours.
#
# Before level 5's cost-based parse (commit e1ba11d), on the 2-core
# machine: 4,581,063 bytes in 4.3 s of processor time, interleaved with
# 4,398,219 bytes in 6.1 s after it (default 1 MiB dictionary: 4,622,659
# bytes before, 4,458,627 after).
set -euo pipefail

. "$(dirname "$0")/lib.sh"
build=$(cd "${1:-$repo/build/host}" && pwd)
acetool="$build/tools/acetool/acetool"
work="${BENCH_WORK:-$build/bench-density}"
rounds="${BENCH_ROUNDS:-3}"

require "make host" "$acetool"
need_package zstd zstd
need_package xz xz-utils
need_package perl perl
need_package /usr/bin/time time

mingw=/usr/lib/gcc/x86_64-w64-mingw32/12-win32
wine=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
need_file() {
  local file=$1 package=$2
  [ -e "$file" ] && return
  [ "$(id -u)" -eq 0 ] || die "$file is missing (apt-get install $package)"
  apt-get install -y -qq "$package" >/dev/null 2>&1 \
    || { apt-get update -qq && apt-get install -y -qq "$package" >/dev/null; }
  [ -e "$file" ] || die "$package did not bring $file"
}

rm -rf "$work"
payload="$work/payload"
mkdir -p "$payload/bin" "$payload/media" "$payload/doc"
for dll in libgfortran-5 libgomp-1 libquadmath-0 libgcc_s_seh-1; do
  need_file "$mingw/$dll.dll" gcc-mingw-w64-x86-64-win32-runtime
  cp "$mingw/$dll.dll" "$payload/bin/"
done
for exe in notepad explorer; do
  need_file "$wine/$exe.exe" libwine
  cp "$wine/$exe.exe" "$payload/bin/"
done
for text in GPL-3 LGPL-2.1 Apache-2.0; do cp "/usr/share/common-licenses/$text" "$payload/doc/$text.txt"; done

# A photograph-like picture (smooth gradients with fine noise) and a sound
# (two tones under a slow swell, a little noise): made, not found, so that
# every machine gets the same bytes.
perl -e '
  my ($w, $h) = (400, 300); my $stride = ($w * 3 + 3) & ~3; my $seed = 1;
  sub noise { $seed = ($seed * 1103515245 + 12345) % 2147483648; return ($seed >> 16) % 9 - 4; }
  my $pixels = "";
  for my $y (0 .. $h - 1) {
    my $row = "";
    for my $x (0 .. $w - 1) {
      my $r = 128 + 100 * sin($x / 37.0) * cos($y / 53.0);
      my $g = 90 + 60 * sin(($x + $y) / 71.0);
      my $b = 40 + $y * 180 / $h;
      $row .= pack("C3", map { my $v = int($_ + noise()); $v < 0 ? 0 : $v > 255 ? 255 : $v } ($b, $g, $r));
    }
    $pixels .= $row . ("\0" x ($stride - $w * 3));
  }
  print "BM", pack("V3 V3 v2 V6", 54 + length $pixels, 0, 54, 40, $w, $h, 1, 24, 0,
                   length $pixels, 2835, 2835, 0, 0), $pixels;
' >"$payload/media/picture.bmp"
perl -e '
  my $rate = 44100; my $frames = 2 * $rate; my $seed = 7; my $samples = "";
  sub noise { $seed = ($seed * 1103515245 + 12345) % 2147483648; return ($seed >> 16) % 65 - 32; }
  for my $i (0 .. $frames - 1) {
    my $t = $i / $rate; my $swell = 0.5 + 0.5 * sin(6.2832 * 0.5 * $t);
    my $left = 9000 * $swell * sin(6.2832 * 440 * $t) + noise();
    my $right = 7000 * $swell * sin(6.2832 * 660 * $t) + noise();
    $samples .= pack("s<2", int($left), int($right));
  }
  print "RIFF", pack("V", 36 + length $samples), "WAVEfmt ",
        pack("V v2 V2 v2", 16, 1, 2, $rate, $rate * 4, 4, 16), "data", pack("V", length $samples), $samples;
' >"$payload/media/sound.wav"
touch -d "2024-01-01 00:00:00 UTC" "$payload"/*/* "$payload"/* "$payload"

payload_bytes=$(find "$payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
tar --sort=name --mtime=@1704067200 --owner=0 --group=0 -C "$payload" -cf "$work/payload.tar" .
zstd_bytes=$(zstd -19 -q -c "$work/payload.tar" | wc -c)
xz9_bytes=$(xz -9 -c "$work/payload.tar" | wc -c)
xz4_bytes=$(xz --lzma2=preset=9,dict=4MiB -c "$work/payload.tar" | wc -c)
gzip_bytes=$(gzip -9 -c "$work/payload.tar" | wc -c)

# Packs the payload with acetool $1 (best of $rounds); sets `seconds` and `bytes`.
pack() {
  local tool=$1 archive="$work/out.ace" best=999999 cpu
  for _ in $(seq "$rounds"); do
    rm -f "$archive"
    /usr/bin/time -f '%U %S' -o "$work/time.log" "$tool" c "$archive" "$payload" --method ace20 --solid \
      --level 5 --dictionary-bits 22 --quiet >"$work/command.log" 2>&1 \
      || { cat "$work/command.log" >&2; die "acetool c failed"; }
    cpu=$(tail -n 1 "$work/time.log" | awk '{print $1 + $2}')
    best=$(awk -v a="$best" -v b="$cpu" 'BEGIN {print (b < a) ? b : a}')
  done
  seconds=$best
  bytes=$(stat -c %s "$archive")
  "$acetool" t "$archive" >"$work/test.log" 2>&1 || { cat "$work/test.log" >&2; die "the archive does not test"; }
}

pack "$acetool"
ours_seconds=$seconds
ours_bytes=$bytes
if [ -n "${BEFORE_ACETOOL:-}" ]; then
  pack "$BEFORE_ACETOOL"
  before_seconds=$seconds
  before_bytes=$bytes
fi

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
verdict() { if awk "BEGIN {exit !($1)}"; then echo "met"; else echo "MISSED"; fi; }
echo "payload: $payload_bytes bytes in $(find "$payload" -type f | wc -l) files"
printf '%-44s %12s %10s\n' "packer" "bytes" "of xz 4MiB"
printf '%-44s %12s %10s\n' "acetool c ace20 --solid --level 5, 4 MiB" "$ours_bytes" "$(ratio "$ours_bytes" "$xz4_bytes")"
[ -n "${BEFORE_ACETOOL:-}" ] &&
  printf '%-44s %12s %10s\n' "the same, BEFORE_ACETOOL" "$before_bytes" "$(ratio "$before_bytes" "$xz4_bytes")"
printf '%-44s %12s %10s\n' "zstd -19 (tar)" "$zstd_bytes" "$(ratio "$zstd_bytes" "$xz4_bytes")"
printf '%-44s %12s %10s\n' "xz -9 (tar)" "$xz9_bytes" "$(ratio "$xz9_bytes" "$xz4_bytes")"
printf '%-44s %12s %10s\n' "xz, 4 MiB dictionary (tar)" "$xz4_bytes" "1.000"
printf '%-44s %12s %10s\n' "gzip -9 (tar)" "$gzip_bytes" "$(ratio "$gzip_bytes" "$xz4_bytes")"
echo "packing time (processor): ${ours_seconds} s${BEFORE_ACETOOL:+ (BEFORE_ACETOOL: ${before_seconds} s)}"
echo "target: below zstd -19: $(verdict "$ours_bytes < $zstd_bytes");" \
  "at most 1.08 x xz 4 MiB: $(verdict "$ours_bytes <= 1.08 * $xz4_bytes")"
rm -rf "$work"
