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

# One target: its summary line, or its failure and the end of its log, in
# $build/fuzz-NAME.result; the exit status says which.
run_target() {
  local t=$1 name work log
  name=$(basename "$t"); name=${name#fuzz_}
  work="$build/fuzz-corpus/$name"
  log="$build/fuzz-$name.log"
  mkdir -p "$work" "$build/fuzz-artifacts"
  local seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  seeds+=("$root/tests/data/ace")
  if "$t" -max_total_time="$seconds" -max_len="$(max_len_for "$name")" -rss_limit_mb=1024 -timeout=10 \
       -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name-" "$work" "${seeds[@]}" >"$log" 2>&1; then
    awk '/stat::number_of_executed_units/ {n=$2} /stat::average_exec_per_sec/ {r=$2} /stat::peak_rss_mb/ {m=$2}
         END {printf "fuzz %s: %s inputs, %s per second, peak %s MB\n", name, n, r, m}' name="$name" "$log" \
      >"$build/fuzz-$name.result"
  else
    { echo "fuzz $name FAILED; log: $log"; tail -n 40 "$log"; } >"$build/fuzz-$name.result"
    return 1
  fi
}

# Each target is one process on one core: the smoke runs as many at a time
# as there are cores (FUZZ_JOBS), so that it takes its seconds per target
# divided by them; a long run keeps one at a time, each with the machine.
jobs=1
[ "$mode" = smoke ] && jobs=${FUZZ_JOBS:-$(nproc)}
names=() pids=()
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  name=$(basename "$t"); names+=("${name#fuzz_}")
  echo "fuzz ${name#fuzz_}: ${seconds}s"
  run_target "$t" &
  pids+=($!)
done
passed=0 failed=0
for i in "${!pids[@]}"; do
  if wait "${pids[i]}"; then
    passed=$((passed + 1))
    cat "$build/fuzz-${names[i]}.result"
  else
    failed=$((failed + 1))
    cat "$build/fuzz-${names[i]}.result" >&2
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
