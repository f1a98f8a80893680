#!/bin/bash
# usage: fuzz.sh smoke|long BUILD_DIR
# smoke: each fuzz target runs for a short bounded time (part of 'make test');
# long:  each runs for FUZZ_SECONDS (default 600) and keeps its corpus.
# Each target's summary line gives its executions per second and peak memory.
set -euo pipefail
mode=$1 build=$2
root=$(cd "$(dirname "$0")/.." && pwd)
case "$mode" in
  smoke) seconds=${FUZZ_SMOKE_SECONDS:-15} ;;
  long)  seconds=${FUZZ_SECONDS:-600} ;;
  *) echo "usage: $0 smoke|long BUILD_DIR" >&2; exit 2 ;;
esac

# The largest input per target. An input's cost grows with its size; beyond
# these sizes inputs buy time, not coverage (seeds are cut to this length).
max_len_for() {
  case "$1" in
    roundtrip) echo 4096 ;;  # compresses and decompresses every input
    headers) echo 32768 ;;   # whole archives, several members
    *) echo 4096 ;;          # one member's packed data, up to 32768 codes
  esac
}

# ASan holds freed memory back for 256 MB by default, which made up most of
# each target's resident memory. An input frees far less than this, so a
# use after free within an input is still caught. Caller's options win.
export ASAN_OPTIONS="quarantine_size_mb=32${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then echo "no fuzz targets built in $build/fuzz" >&2; exit 1; fi
passed=0 failed=0
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  name=$(basename "$t"); name=${name#fuzz_}
  work="$build/fuzz-corpus/$name"
  log="$build/fuzz-$name.log"
  mkdir -p "$work" "$build/fuzz-artifacts"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  seeds+=("$root/tests/data/ace")
  echo "fuzz $name: ${seconds}s"
  if "$t" -max_total_time="$seconds" -max_len="$(max_len_for "$name")" -rss_limit_mb=1024 -timeout=10 \
       -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name-" "$work" "${seeds[@]}" >"$log" 2>&1; then
    passed=$((passed + 1))
    awk '/stat::number_of_executed_units/ {n=$2} /stat::average_exec_per_sec/ {r=$2} /stat::peak_rss_mb/ {m=$2}
         END {printf "fuzz %s: %s inputs, %s per second, peak %s MB\n", name, n, r, m}' name="$name" "$log"
  else
    failed=$((failed + 1))
    echo "fuzz $name FAILED; log: $log" >&2
    tail -n 40 "$log" >&2
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
