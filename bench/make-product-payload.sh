#!/bin/bash
# The payload of the large benchmark product, shared by the benchmarks that
# install or pack it: FILES files of MB MB in all, spread over 100 folders,
# every second file text-like (words from a fixed vocabulary, CR LF now and
# then) and the others random bytes. Names, sizes and text are the same on
# every run; the random files are not.
#
# usage: bench/make-product-payload.sh DIR MB FILES   (DIR is created)
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 DIR MB FILES" >&2; exit 2; }
dir=$1 mb=$2 files=$3
mkdir -p "$dir"
per=$((mb * 1024 * 1024 / files))
python3 - "$dir" "$files" "$per" <<'PY'
import os, random, sys
root, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(7)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(4000)]
for n in range(count):
    folder = os.path.join(root, "d%03d" % (n % 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%05d.%s" % (n, "txt" if n % 2 else "bin")), "wb") as out:
        if n % 2:
            text = bytearray()
            while len(text) < size:
                text += rng.choice(words) + (b"\r\n" if rng.random() < 0.1 else b" ")
            out.write(bytes(text[:size]))
        else:
            out.write(os.urandom(size))
PY
