#!/bin/bash
# Benchmark of the archive tools on a mixed ~100 MB corpus (not a test):
#   - extraction of one ACE 1.0 LZ77 archive by `acetool x` and by Debian's
#     `unace x -y` (same archive, same disk), throughput in MB/s
#   - testing it without writes (`acetool t`) against `unace t` and against
#     `libdeflate-gunzip -t` of the same files as one tar.gz (gzip -9)
#   - `acetool c --method lz77` (and --solid): archive size against gzip -9
#     of the same files, and speed
#   - peak memory of `acetool x` (/usr/bin/time -v)
#
# usage: bench/run.sh [BUILD_DIR]   (default: build/host; needs its acetool)
# BENCH_ROUNDS how often each extraction runs (best counts; default 5).
# BENCH_WORK sets the scratch folder (default BUILD_DIR/bench), BENCH_MB the
# size of the synthetic part of the corpus (default 55; about 45 MB of
# programs and libraries from /usr/bin and /usr/lib come on top).
set -euo pipefail

. "$(dirname "$0")/lib.sh"
build=$(cd "${1:-$repo/build/host}" && pwd)
acetool="$build/tools/acetool/acetool"
work="${BENCH_WORK:-$build/bench}"
synthetic_mb="${BENCH_MB:-55}"

require "make host" "$acetool"
need_package unace unace
need_package /usr/bin/time time
need_package libdeflate-gunzip libdeflate-tools

rm -rf "$work"
mkdir -p "$work"
corpus="$work/corpus"

echo "bench: building the corpus in $corpus"
g++ -O2 -std=c++20 "$here/make_corpus.cpp" -o "$work/make_corpus"
"$work/make_corpus" "$corpus" "$synthetic_mb"
# Real programs and libraries, taken in name order up to a byte budget so
# that the same machine always gives the same corpus.
"$here/copy_binaries.sh" /usr/bin "$corpus/bin" $((25 * 1024 * 1024))
"$here/copy_binaries.sh" /usr/lib/x86_64-linux-gnu "$corpus/lib" $((20 * 1024 * 1024))

corpus_bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
corpus_files=$(find "$corpus" -type f | wc -l)

# Runs a command under /usr/bin/time; sets `seconds` and `peak_kb`.
measure() {
  local log="$work/time.log"
  /usr/bin/time -v -o "$log" "$@" >"$work/command.log" 2>&1 ||
    { cat "$work/command.log" >&2; die "failed: $*"; }
  seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {
      n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")
  peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
}
mbps() { awk -v b="$1" -v s="$2" 'BEGIN { if (s < 0.01) s = 0.01; printf "%.1f", b / 1048576 / s }'; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }

echo "bench: compressing with acetool (lz77, then solid)"
measure "$acetool" c --method lz77 "$work/corpus.ace" "$corpus"
compress_seconds=$seconds
compress_peak_kb=$peak_kb
ace_bytes=$(stat -c %s "$work/corpus.ace")
measure "$acetool" c --method lz77 --solid "$work/solid.ace" "$corpus"
solid_seconds=$seconds
solid_bytes=$(stat -c %s "$work/solid.ace")

echo "bench: compressing with gzip -9 (each file, then one tar stream)"
start=$(date +%s.%N)
gzip_bytes=$(find "$corpus" -type f -print0 | sort -z |
  xargs -0 -I{} sh -c 'gzip -9 -c "$1" | wc -c' _ {} | awk '{s += $1} END {print s}')
gzip_seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {print b - a}')
# Kept: a fast inflater testing it is the second reference for decoding.
tar -C "$corpus" -cf - . | gzip -9 >"$work/corpus.tar.gz"
targz_bytes=$(stat -c %s "$work/corpus.tar.gz")
tar_bytes=$(gzip -dc "$work/corpus.tar.gz" | wc -c)

rounds=${BENCH_ROUNDS:-5}
echo "bench: extracting with acetool and with unace (best of $rounds runs each; writing files is noisy)"
best_ours=999999; best_unace=999999
for round in $(seq "$rounds"); do
  rm -rf "$work/out-ours" "$work/out-unace"; mkdir -p "$work/out-ours" "$work/out-unace"
  measure "$acetool" x "$work/corpus.ace" "$work/out-ours"
  ours_peak_kb=$peak_kb
  best_ours=$(awk -v a="$best_ours" -v b="$seconds" 'BEGIN {print (b < a) ? b : a}')
  measure env -C "$work/out-unace" unace x -y "$work/corpus.ace"
  best_unace=$(awk -v a="$best_unace" -v b="$seconds" 'BEGIN {print (b < a) ? b : a}')
done
# Decoding alone (no files written) tells the decoder's share of the time;
# interleaved and best of the same rounds, as the load of the machine varies.
best_test_ours=999999; best_test_unace=999999; best_test_inflate=999999
for round in $(seq "$rounds"); do
  measure "$acetool" t "$work/corpus.ace"
  best_test_ours=$(awk -v a="$best_test_ours" -v b="$seconds" 'BEGIN {print (b < a) ? b : a}')
  measure unace t -y "$work/corpus.ace"
  best_test_unace=$(awk -v a="$best_test_unace" -v b="$seconds" 'BEGIN {print (b < a) ? b : a}')
  measure libdeflate-gunzip -t "$work/corpus.tar.gz"
  best_test_inflate=$(awk -v a="$best_test_inflate" -v b="$seconds" 'BEGIN {print (b < a) ? b : a}')
done
diff -rq "$corpus" "$work/out-ours" >/dev/null || die "acetool extracted something else than the corpus"
diff -rq "$corpus" "$work/out-unace" >/dev/null || die "unace extracted something else than the corpus"

ours_mbps=$(mbps "$corpus_bytes" "$best_ours")
unace_mbps=$(mbps "$corpus_bytes" "$best_unace")
compress_mbps=$(mbps "$corpus_bytes" "$compress_seconds")
solid_mbps=$(mbps "$corpus_bytes" "$solid_seconds")
gzip_mbps=$(mbps "$corpus_bytes" "$gzip_seconds")
speedup=$(awk -v a="$ours_mbps" -v b="$unace_mbps" 'BEGIN { printf "%.2f", a / b }')
test_ours_mbps=$(mbps "$corpus_bytes" "$best_test_ours")
# The tar stream is a little larger than the files (its headers): its own size counts.
test_inflate_mbps=$(mbps "$tar_bytes" "$best_test_inflate")
inflate_ratio=$(awk -v a="$test_ours_mbps" -v b="$test_inflate_mbps" 'BEGIN { printf "%.2f", a / b }')
verdict() { if awk "BEGIN {exit !($1)}"; then echo "met"; else echo "MISSED"; fi; }

echo
echo "Corpus: $(mb "$corpus_bytes") MB in $corpus_files files ($(nproc) cores, $(uname -m))"
printf '%-34s %12s %18s   %s\n' "measure" "acetool" "reference" "target"
printf '%-34s %12s %18s   %s\n' "extract ACE 1.0 LZ77 (MB/s)" "$ours_mbps" "$unace_mbps unace" \
  ">= 2.5x unace: ${speedup}x $(verdict "$speedup >= 2.5")"
printf '%-34s %12s %18s   %s\n' "test ACE 1.0 LZ77, no writes (MB/s)" "$test_ours_mbps" \
  "$(mbps "$corpus_bytes" "$best_test_unace") unace" ""
printf '%-34s %12s %18s   %s\n' "test, against inflate (MB/s)" "$test_ours_mbps" \
  "$test_inflate_mbps libdeflate" "${inflate_ratio}x"
printf '%-34s %12s %18s   %s\n' "compress lz77 (MB/s)" "$compress_mbps" "$gzip_mbps gzip-9" \
  ">= 10: $(verdict "$compress_mbps >= 10")"
printf '%-34s %12s %18s   %s\n' "archive size lz77 (MB)" "$(mb "$ace_bytes")" "$(mb "$gzip_bytes") gzip-9" \
  "<= gzip -9: $(verdict "$ace_bytes <= $gzip_bytes")"
printf '%-34s %12s %18s   %s\n' "compress lz77 solid (MB/s)" "$solid_mbps" "" ""
printf '%-34s %12s %18s   %s\n' "archive size lz77 solid (MB)" "$(mb "$solid_bytes")" "$(mb "$targz_bytes") tar.gz-9" ""
printf '%-34s %12s %18s   %s\n' "peak memory of acetool c (MB)" "$(mb $((compress_peak_kb * 1024)))" "" ""
printf '%-34s %12s %18s   %s\n' "peak memory of acetool x (MB)" "$(mb $((ours_peak_kb * 1024)))" "" \
  "<= 64: $(verdict "$ours_peak_kb <= 65536")"
BENCH_WORK="$work/density" "$here/writer-density.sh" "$build"
