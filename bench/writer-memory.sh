#!/bin/bash
# Peak memory and time of the archive writer on one large member (not a
# test): one file of mixed data (prose, source-like text, random and
# repetitive pieces) packed by `acetool c` with the ACE 2.0 method (solid
# and not) and with the ACE 1.0 LZ77 method; then the same bytes behind a
# WAV header, which the ACE 2.0 writer once coded whole in memory; each
# archive is then tested.
#
# usage: bench/writer-memory.sh [BUILD_DIR]   (default: build/host)
# WRITER_BENCH_MB sets the file size in MiB (default 300), BENCH_WORK the
# scratch folder (default BUILD_DIR/bench-writer).
set -euo pipefail

. "$(dirname "$0")/lib.sh"
build=$(cd "${1:-$repo/build/host}" && pwd)
acetool="$build/tools/acetool/acetool"
work="${BENCH_WORK:-$build/bench-writer}"
size_mb="${WRITER_BENCH_MB:-300}"

require "make host" "$acetool"
need_package /usr/bin/time time

rm -rf "$work"
mkdir -p "$work/input"
g++ -O2 -std=c++20 "$here/make_corpus.cpp" -o "$work/make_corpus"
"$work/make_corpus" --one-file "$work/input/mixed.dat" "$size_mb"
input_bytes=$(stat -c %s "$work/input/mixed.dat")

# Little-endian binary numbers for the WAV header.
le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }

printf '%-22s %10s %9s %12s\n' "acetool c" "peak MB" "seconds" "archive MB"
run() {
  local label=$1; shift
  local archive="$work/out.ace"
  rm -f "$archive"
  /usr/bin/time -f '%M %e' -o "$work/time.log" "$acetool" c "$archive" "$work/input" "$@" \
    >"$work/command.log" 2>&1 || { cat "$work/command.log" >&2; die "failed: $label"; }
  read -r peak_kb seconds <"$work/time.log"
  "$acetool" t "$archive" >"$work/test.log" 2>&1 || { cat "$work/test.log" >&2; die "$label: archive does not test"; }
  printf '%-22s %10.1f %9.1f %12.1f\n' "$label" "$(echo "$peak_kb / 1024" | bc -l)" "$seconds" \
    "$(echo "$(stat -c %s "$archive") / 1048576" | bc -l)"
}
echo "input: one file of $(echo "$input_bytes / 1048576" | bc) MiB"
run "--method ace20" --method ace20
run "--method ace20 --solid" --method ace20 --solid
run "--method lz77" --method lz77
# The same bytes as the samples of a 16-bit stereo PCM sound.
wav="$work/input/mixed.wav"
{ printf 'RIFF'; le32 $((input_bytes + 36)); printf 'WAVEfmt '; le32 16
  le16 1; le16 2; le32 44100; le32 $((44100 * 4)); le16 4; le16 16
  printf 'data'; le32 "$input_bytes"; cat "$work/input/mixed.dat"; } >"$wav"
rm "$work/input/mixed.dat"
echo "input: the same behind a WAV header"
run "--method ace20 (WAV)" --method ace20
rm -rf "$work"
