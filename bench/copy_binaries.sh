#!/bin/bash
# Copies regular files of at least 16 KiB from SOURCE (not recursive) into
# TARGET in name order until BUDGET bytes are reached. Unreadable files and
# names outside plain ASCII are passed over.
# usage: copy_binaries.sh SOURCE TARGET BUDGET
set -euo pipefail
source=$1 target=$2 budget=$3
mkdir -p "$target"
total=0
while IFS= read -r -d '' file; do
  name=$(basename "$file")
  [[ "$name" =~ ^[A-Za-z0-9._+-]+$ ]] || continue
  [ -r "$file" ] || continue
  size=$(stat -L -c %s "$file")
  [ "$size" -ge 16384 ] || continue
  [ $((total + size)) -le "$budget" ] || continue
  cp -L "$file" "$target/$name" 2>/dev/null || continue
  total=$((total + size))
done < <(find "$source" -maxdepth 1 -type f -print0 | LC_ALL=C sort -z)
