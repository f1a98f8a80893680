#!/bin/bash
# The main job, as far as it goes today: write a setup medium's description
# with the authoring tool, read it back the way the setup program does and
# show what it holds; then do the same with the Windows build under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/demo"
rm -rf "$out"; mkdir -p "$out/medium"
version=$(sed -n 's/^#define PELMORA_VERSION_STRING "\(.*\)"/\1/p' "$root/build/host/generated/Version.h")
pack="$root/build/host/tools/pelmora-pack/pelmora-pack"

echo "== 1. Plain setup description (samples/demo/install.txt.in, version line = $version)"
sed "s/@VERSION@/$version/" "$root/samples/demo/install.txt.in" > "$out/install.txt"

echo "== 2. pelmora-pack encode -> $out/medium/install.pmd (scrambled)"
"$pack" encode "$out/install.txt" "$out/medium/install.pmd"
head -c 120 "$out/medium/install.pmd" | od -c | head -4

echo "== 3. What Install.exe $version reads from it"
"$pack" show "$out/medium/install.pmd" --version "$version"

echo "== 4. decode gives the plain text back, byte for byte"
"$pack" decode "$out/medium/install.pmd" "$out/decoded.txt"
if cmp -s <(tr -d '\r' < "$out/decoded.txt") "$out/install.txt"; then echo "identical"; else echo "DIFFERENT"; exit 1; fi

echo "== 5. The Windows build of pelmora-pack under Wine reads the same file"
prefix="$root/build/win64/wineprefix"
"$root/scripts/wine-prefix.sh" start "$prefix"
trap '"$root/scripts/wine-prefix.sh" stop "$prefix"' EXIT
"$root/scripts/wine-run.sh" "$prefix" "$root/build/win64/tools/pelmora-pack/pelmora-pack.exe" \
  decode "Z:${out//\//\\}\\medium\\install.pmd" "Z:${out//\//\\}\\decoded-win.txt"
if cmp -s "$out/decoded.txt" "$out/decoded-win.txt"; then echo "identical under Wine"; else echo "DIFFERENT under Wine"; exit 1; fi

echo "== 6. The shipped program"
ls -l "$root/build/win32/app/Install.exe"
"$root/scripts/check-pe.sh" "$root/build/win32/app/Install.exe" pei-i386 gui
