#!/bin/sh
# Compares the compressor with gzip -9 on the given files: total sizes and
# CPU seconds of both. Usage: compare_gzip.sh BENCH_PROGRAM [bench options] -- files...
set -eu
bench=$1; shift
opts=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do opts="$opts $1"; shift; done
[ $# -gt 0 ] && shift
gz=0
start=$(date +%s.%N)
for f in "$@"; do gz=$((gz + $(gzip -9 -c "$f" | wc -c))); done
end=$(date +%s.%N)
echo "gzip -9: $gz bytes, $(echo "$end - $start" | bc) s"
# shellcheck disable=SC2086
"$bench" $opts "$@" | tail -n 1
