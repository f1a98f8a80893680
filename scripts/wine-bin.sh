#!/bin/sh
# Wine's loader. The shipped programs are 32-bit: Debian's wine32:i386 puts
# its loader at /usr/lib/wine/wine, which runs them in a 64-bit prefix and
# hands a 64-bit program on to wine64.
for w in /usr/lib/wine/wine /usr/lib/wine/wine64 /usr/bin/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64; do
  if [ -x "$w" ]; then exec "$w" "$@"; fi
done
echo "wine not found (dpkg --add-architecture i386; apt-get install wine32:i386 wine64)" >&2
exit 127
