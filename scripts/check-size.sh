#!/bin/bash
# usage: check-size.sh FILE MAX_BYTES
# Fails when FILE is larger than MAX_BYTES, saying by how much.
set -u
file=$1 max=$2
size=$(stat -c %s "$file") || { echo "cannot read $file" >&2; exit 1; }
if [ "$size" -gt "$max" ]; then
  echo "$file: $size bytes, $((size - max)) over the budget of $max bytes"
  exit 1
fi
echo "$file: $size bytes, within the budget of $max bytes ($((max - size)) to spare)"
