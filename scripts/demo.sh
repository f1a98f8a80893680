#!/bin/bash
# The main job, as far as it goes today: write a setup medium's description
# with the authoring tool, read it back the way the setup program does and
# show what it holds; then do the same with the Windows build under Wine;
# then the wizard itself. With a display (DISPLAY set) it opens on the demo
# medium for you to click through; without one it walks every page and
# window in English and German on a virtual screen, and once more at 144 and
# 192 DPI, and keeps a screenshot of each under out/demo/.
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
prefix="$root/build/win32/wineprefix"
"$root/scripts/wine-prefix.sh" start "$prefix"
trap '"$root/scripts/wine-prefix.sh" stop "$prefix"' EXIT
"$root/scripts/wine-run.sh" "$prefix" "$root/build/win32/tools/pelmora-pack/pelmora-pack.exe" \
  decode "Z:${out//\//\\}\\medium\\install.pmd" "Z:${out//\//\\}\\decoded-win.txt"
if cmp -s "$out/decoded.txt" "$out/decoded-win.txt"; then echo "identical under Wine"; else echo "DIFFERENT under Wine"; exit 1; fi

echo "== 6. The archive of the medium: DATA.c00 and further volumes, written by acetool"
acetool="$root/build/host/tools/acetool/acetool"
mkdir -p "$out/payload/hilfe"
printf 'Pelmora Demo\r\nDiese Datei liegt im Archiv der Demo.\r\n' | iconv -f UTF-8 -t CP1252 > "$out/payload/liesmich.txt"
printf '[Demo]\r\nSprache=Deutsch\r\n' > "$out/payload/demo.ini"
cp "$root/build/win32/tools/pelmora-pack/pelmora-pack.exe" "$out/payload/demo.exe"
cp "$root/README.md" "$out/payload/hilfe/readme.txt"
"$acetool" c "$out/medium/DATA.c00" "$out/payload" --method lz77 --volume-size 200k
ls -l "$out/medium"
"$acetool" l "$out/medium/DATA.c00"

echo "== 7. The Windows build extracts it through UnACE.dll under Wine"
"$root/scripts/wine-run.sh" "$prefix" "$root/build/win32/tools/acetool/acetool.exe" \
  x "Z:${out//\//\\}\\medium\\DATA.c00" "Z:${out//\//\\}\\extracted" > "$out/extract-win.log"
if diff -r "$out/payload" "$out/extracted" > /dev/null; then echo "extracted tree identical to the payload"; else echo "DIFFERENT"; exit 1; fi

echo "== 8. The shipped program"
ls -l "$root/build/win32/app/Install.exe"
"$root/scripts/check-pe.sh" "$root/build/win32/app/Install.exe" pei-i386 gui

echo "== 9. The wizard on the demo medium"
cp "$root/build/win32/app/Install.exe" "$out/medium/Install.exe"
sed "s/@VERSION@/$version/" "$root/samples/demo/install.txt.in" > "$out/install.txt"
"$pack" encode "$out/install.txt" "$out/medium/install.pmd"
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  echo "Install.exe opens on your display; click through it (German: PELMORA_TEST_LANGUAGE_NAME=Deutsch make demo)."
  if [ -n "${PELMORA_TEST_LANGUAGE_NAME:-}" ]; then
    "$root/scripts/wine-run.sh" "$prefix" "$root/build/win32/tests/uia/with_language.exe" \
      "$PELMORA_TEST_LANGUAGE_NAME" "$out/medium/Install.exe"
  else
    "$root/scripts/wine-run.sh" "$prefix" "$out/medium/Install.exe"
  fi
  exit 0
fi
shots="$root/out/demo"
rm -rf "$shots"; mkdir -p "$shots"
# Each walk runs on a virtual screen of its own, started and stopped here.
walk() {
  local name=$1; shift
  if env -u DISPLAY "$root/scripts/with-display.sh" "$@" > "$shots/$name.log" 2>&1; then
    echo "$name: $(tail -n 1 "$shots/$name.log")"
  else
    echo "$name: FAILED, see $shots/$name.log"; return 1
  fi
}
w32="$root/build/win32"
setup=("$w32/app/Install.exe" "$w32/tools/pelmora-pack/pelmora-pack.exe" "$w32/tests/uia/wintool.exe")
status=0
walk wizard_flow "$root/tests/e2e/wizard_flow.sh" "$prefix" "${setup[@]}" \
  "$shots/wizard_flow" || status=1
walk existing_installation "$root/tests/e2e/existing_installation.sh" "$prefix" "${setup[@]}" \
  "$shots/existing_installation" || status=1
walk small_windows "$root/tests/e2e/small_windows.sh" "$prefix" "${setup[@]}" \
  "$w32/pages/page_gallery.exe" "$shots/small_windows" || status=1
walk startup_messages "$root/tests/e2e/startup_messages.sh" "$prefix" "${setup[@]}" \
  "$w32/winsupport/testprogs/pelmora_testprog_closing.exe" "$shots/startup_messages" || status=1
# The same pages on screens scaled to 150 % and 200 % (144 and 192 DPI), in
# a prefix of their own on a larger screen.
PELMORA_SCREEN=1600x1200x24 walk display_scaling "$root/tests/e2e/display_scaling.sh" \
  "$prefix-scaled" "${setup[@]}" "$w32/uninstall/stUnInst.exe" "$shots/display_scaling" 144 192 ||
  status=1
echo "== 10. A medium for the sample product (samples/demo/product.ini), built by pelmora-pack build"
product="$out/product"
rm -rf "$product"; mkdir -p "$product"
cp -r "$root/samples/demo/payload" "$product/payload"
cp "$w32/samples/demo.exe" "$product/payload/demo.exe"
"$pack" build "$root/samples/demo/product.ini" "$product/payload" "$product/medium" --arch win32
ls -l "$product/medium"
echo "== 11. Installing it under Wine, then removing it with its uninstaller"
env -u DISPLAY "$root/scripts/with-display.sh" "$root/scripts/demo-install.sh" "$prefix" \
  "$product/medium" "$w32/tests/uia/wintool.exe" "$shots/installation" || status=1
echo "== 12. The same product as one setup file, installed and removed unattended"
"$pack" build "$root/samples/demo/product.ini" "$product/payload" "$product/one-file" --arch win32 \
  --single-file --winget https://pelmora.example/download/Setup.exe
ls -l "$product/one-file"
env -u DISPLAY "$root/scripts/with-display.sh" "$root/scripts/demo-unattended.sh" "$prefix" \
  "$product/one-file/Setup.exe" "$w32/tests/uia/wintool.exe" "$shots/unattended" || status=1
echo "Screenshots:"
find "$shots" -name '*.png' | sort | sed "s|^$root/||"
exit $status
