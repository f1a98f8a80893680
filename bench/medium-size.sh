#!/bin/bash
# Benchmark (not a test): the size of our whole medium against an NSIS
# installer that does the same for the same payload.
#   Ours: `pelmora-pack build` with the default i686 Install.exe and the
#   archive as ACE 2.0, solid, level 5; counted are Install.exe, install.pmd
#   and every DATA.c* volume (which carry the uninstaller stUnInst.exe).
#   NSIS: makensis of a script with `SetCompressor /SOLID lzma`, a directory
#   page, the files page, `File /r` of the payload, an uninstaller written
#   with `WriteUninstaller` (it removes the files, the shortcut and the
#   entry), the Uninstall entry and a Start-menu shortcut; counted is
#   setup.exe, which carries the uninstaller.
# Two products: the sample product (samples/demo: its payload, the built
# demo.exe and its manifest with only [archive] changed) and a product of
# BENCH_INSTALL_MB (default 200) MB in BENCH_INSTALL_FILES (default 5000)
# files, made as bench/install-speed.sh makes it. A second table takes the
# sample's medium apart file by file, beside an NSIS setup with no files.
#
# usage: bench/medium-size.sh   (needs make host win32; BENCH_WORK
# sets the scratch folder, default build/bench-medium)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
pack="$repo/build/host/tools/pelmora-pack/pelmora-pack"
acetool="$repo/build/host/tools/acetool/acetool"
install_exe="$repo/build/win32/app/Install.exe"
uninstaller_exe="$repo/build/win32/uninstall/stUnInst.exe"
unace_dll="$repo/build/win32/unace/UnACE.dll"
demo_exe="$repo/build/win32/samples/demo.exe"
work="${BENCH_WORK:-$repo/build/bench-medium}"
mb=${BENCH_INSTALL_MB:-200} files=${BENCH_INSTALL_FILES:-5000}

require "make host win32" "$pack" "$acetool" "$install_exe" "$uninstaller_exe" \
  "$unace_dll" "$demo_exe"
need_package makensis nsis

# The settings that make our medium as small as the format allows, in place
# of whatever [archive] the manifest had.
best_archive() {
  sed '/^\[archive\]/,/^\[/{/^\[archive\]/d;/^\[/!d}' "$1"
  printf '\n[archive]\nmethod = ace20\nlevel = 5\nsolid = yes\n'
}

size_of() { stat -c %s "$@" | awk '{ n += $1 } END { print n + 0 }'; }

# measure LABEL DIR: packs DIR/payload both ways, with DIR/product.ini as
# our manifest, and prints one row of the table.
measure() {
  local label=$1 dir=$2
  local payload="$dir/payload" medium="$dir/medium" nsis="$dir/nsis"
  rm -rf "$medium" "$nsis"; mkdir -p "$nsis"
  nice "$pack" build "$dir/product.ini" "$payload" "$medium" >"$dir/pack.log" 2>&1 \
    || { cat "$dir/pack.log" >&2; die "$label: pelmora-pack build failed"; }
  write_nsis_script "$label" "$payload" "$nsis"
  nice makensis -V2 "$nsis/setup.nsi" >"$nsis/makensis.log" 2>&1 \
    || { cat "$nsis/makensis.log" >&2; die "$label: makensis failed"; }
  local payload_bytes exe pmd volumes ours theirs
  payload_bytes=$(find "$payload" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }')
  exe=$(size_of "$medium/Install.exe")
  pmd=$(size_of "$medium/install.pmd")
  volumes=$(size_of "$medium"/DATA.c*)
  ours=$((exe + pmd + volumes))
  theirs=$(size_of "$nsis/setup.exe")
  printf '%-16s %12d %12d %12d %12d %12d %12d %7.3f\n' "$label" "$payload_bytes" "$exe" "$pmd" \
    "$volumes" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
}

rm -rf "$work"; mkdir -p "$work/sample" "$work/large"
cp -r "$repo/samples/demo/payload" "$work/sample/payload"
cp "$demo_exe" "$work/sample/payload/demo.exe"
# The manifest's information page is found beside the manifest.
cp "$repo/samples/demo/info.txt" "$work/sample/info.txt"
best_archive "$repo/samples/demo/product.ini" >"$work/sample/product.ini"

echo "medium-size: making the large product ($files files, $mb MB)"
"$here/make-product-payload.sh" "$work/large/payload" "$mb" "$files"
best_archive /dev/stdin >"$work/large/product.ini" <<'INI'
[product]
name = Pelmora Bench
version = 1.0.0.0
uninstall-key = PelmoraBench
directory = C:\Bench
INI

printf '%-16s %12s %12s %12s %12s %12s %12s %7s\n' product payload Install.exe install.pmd \
  'DATA.c*' ours 'NSIS setup' ratio
measure "Pelmora Demo" "$work/sample"
measure "Pelmora Bench" "$work/large"
echo "(bytes; ratio = ours / NSIS setup.exe)"

# packed_size DIR: the bytes of DIR's files as the medium's archive packs them.
packed_size() {
  local archive="$work/packed.ace"
  rm -f "$archive"
  "$acetool" c "$archive" "$1" --method ace20 --solid --level 5 --quiet >/dev/null \
    || die "acetool could not pack $1"
  size_of "$archive"
}

# The sample's medium file by file: what is the setup's own weight, what the
# payload's. The NSIS setup without files is what NSIS adds to a payload.
sample="$work/sample"
mkdir -p "$work/uninstaller-only" "$work/nsis-empty"
cp "$uninstaller_exe" "$work/uninstaller-only/"
write_nsis_script "Pelmora Demo" "" "$work/nsis-empty"
nice makensis -V2 "$work/nsis-empty/setup.nsi" >"$work/nsis-empty/makensis.log" 2>&1 \
  || { cat "$work/nsis-empty/makensis.log" >&2; die "makensis of the setup without files failed"; }
payload_packed=$(packed_size "$sample/payload")
ours=$(size_of "$sample/medium/Install.exe" "$sample/medium/install.pmd" "$sample/medium"/DATA.c*)
nsis_empty=$(size_of "$work/nsis-empty/setup.exe")
nsis_full=$(size_of "$sample/nsis/setup.exe")
echo
echo "The sample product's medium, file by file (bytes):"
row() { printf '  %-52s %10d\n' "$1" "$2"; }
row "Install.exe (carries UnACE.dll)" "$(size_of "$sample/medium/Install.exe")"
row "  UnACE.dll as it writes it at start" "$(size_of "$unace_dll")"
row "install.pmd" "$(size_of "$sample/medium/install.pmd")"
row "DATA.c* (payload and uninstaller)" "$(size_of "$sample/medium"/DATA.c*)"
row "  stUnInst.exe, unpacked" "$(size_of "$uninstaller_exe")"
row "  stUnInst.exe, packed alone" "$(packed_size "$work/uninstaller-only")"
row "  the payload, packed alone" "$payload_packed"
row "what our medium adds to the packed payload" $((ours - payload_packed))
row "NSIS setup.exe without files (with its uninstaller)" "$nsis_empty"
row "NSIS setup.exe with the payload" "$nsis_full"
