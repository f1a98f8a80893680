#!/bin/sh
# Debian's wine64 package puts its loader in different places across releases.
for w in /usr/bin/wine64 /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64; do
  if [ -x "$w" ]; then exec "$w" "$@"; fi
done
echo "wine64 not found (apt-get install wine64)" >&2
exit 127
