#!/bin/bash
# usage: fuzz.sh smoke|long BUILD_DIR
# smoke: each fuzz target runs for a short bounded time (part of 'make test');
# long:  each runs for FUZZ_SECONDS (default 600) and keeps its corpus.
set -euo pipefail
mode=$1 build=$2
root=$(cd "$(dirname "$0")/.." && pwd)
case "$mode" in
  smoke) seconds=${FUZZ_SMOKE_SECONDS:-15} ;;
  long)  seconds=${FUZZ_SECONDS:-600} ;;
  *) echo "usage: $0 smoke|long BUILD_DIR" >&2; exit 2 ;;
esac
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then echo "no fuzz targets built in $build/fuzz" >&2; exit 1; fi
passed=0 failed=0
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  name=$(basename "$t"); name=${name#fuzz_}
  work="$build/fuzz-corpus/$name"
  mkdir -p "$work" "$build/fuzz-artifacts"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  seeds+=("$root/tests/data/ace")
  echo "fuzz $name: ${seconds}s"
  if "$t" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 -print_final_stats=0 \
       -artifact_prefix="$build/fuzz-artifacts/$name-" "$work" "${seeds[@]}" >"$build/fuzz-$name.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "fuzz $name FAILED; log: $build/fuzz-$name.log" >&2
    tail -n 40 "$build/fuzz-$name.log" >&2
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
