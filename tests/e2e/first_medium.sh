#!/bin/bash
# usage: first_medium.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE OUTDIR
# A vendor's first medium as the quick start makes it: pelmora-pack init
# writes the manifest for a payload folder (a program, a readme, a docs
# folder, a name with an umlaut), the manifest builds as it stands, the
# setup installs it into the folder it proposes, and the uninstaller the
# entry names removes it again, leaving nothing but itself. README's
# quick-start manifest builds too; the run with a user writes the log asked
# for with /LOG=. Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 out=$6
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
product="Erstes Produkt"
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT

payload="$out/$product"
mkdir -p "$payload/docs"
cp "$uninstaller" "$payload/stUnInst.exe"
printf 'kein Programm\r\n' >"$payload/Erstes.exe"
printf 'Lies mich\r\n' >"$payload/readme.txt"
printf 'Anleitung\r\n' >"$payload/docs/guide.txt"
printf '\xdcbersicht\r\n' >"$payload/$(printf '\xc3\x9cbersicht.txt')"

manifest="$out/product.ini"
e2e_wine "$pack" init "$(e2e_winpath "$payload")" "$(e2e_winpath "$manifest")" \
  >"$out/init.out" 2>"$out/init.err"
expect "init: the manifest written, naming the program and the folder it proposes" \
  "0|program = Erstes.exe|directory = C:\\Program Files\\$product" \
  "$?|$(grep -m1 '^program = ' "$manifest" | tr -d '\r')|$(grep -m1 '^directory = ' "$manifest" | tr -d '\r')"
sed -i 's/^# uninstaller = yes/uninstaller = yes/' "$manifest"
make_built_medium "$out/medium" "$manifest" "$payload"
expect "build: the manifest as init wrote it builds a medium" "DATA.c00 Install.exe install.pmd" \
  "$(cd "$out/medium" && ls 2>/dev/null | paste -sd' ')"
# README's quick start shows a complete manifest: it builds for this payload.
awk '/^### Quick start for vendors/ {quick = 1}
     quick && /^    # Comments are lines/ {shown = 1}
     shown && /^$/ {exit}
     shown {sub(/^    /, ""); print}' "$(dirname "$0")/../../README.md" >"$out/quick-start.ini"
printf 'Willkommen\r\n' >"$out/info.txt"
sed -i 's/^program = .*/program = Erstes.exe/; s/^target = .*/target = Erstes.exe/' "$out/quick-start.ini"
make_built_medium "$out/quick-start" "$out/quick-start.ini" "$payload"
expect "build: README's quick-start manifest builds" \
  "DATA.c00 Install.exe install.pmd|My Product 1.2.0.0" \
  "$(cd "$out/quick-start" && ls 2>/dev/null | paste -sd' ')|$(grep -o 'My Product [0-9.]*' "$out/build.out" | tail -1)"

e2e_clean_prefix first
target="C:\\Program Files\\$product"
installed="$drive_c/Program Files/$product"
start_installation first "$out/medium" "$target" '/LOG=C:\first run.log'
finish first
# With a user too, /LOG= keeps the log: each entry of the archive (every
# file and folder of the payload) written, the end's code.
log=$(tr -d '\r' <"$drive_c/first run.log" 2>/dev/null | cut -d' ' -f3-)
expect "install: the log of a run with a user names each file and the exit code" \
  "$(find "$payload" -mindepth 1 | wc -l)|exit code 0" \
  "$(grep -c "^written \"$(sed 's/\\/\\\\/g' <<<"$target")" <<<"$log")|$(grep -o '^exit code 0' <<<"$log")"
rm -f "$drive_c/first run.log"
expect "install: every payload file in the proposed folder, byte for byte" same \
  "$(same_files "$payload" "$installed" Erstes.exe readme.txt docs/guide.txt "$(printf '\xc3\x9cbersicht.txt')")"
key="HKCU\\$e2e_uninstall_key\\$product"
expect "install: the entry names the product and the shared uninstaller" \
  "DisplayName=$product 1.0.0.0|UninstallString=C:\\windows\\stUnInst.exe \"$target\\UnInstall.log\"" \
  "$(reg_values "$key" | grep -e ^DisplayName= -e ^UninstallString= | paste -sd'|')"
expect "install: the program's shortcut and the uninstaller's in the group" \
  "$product.lnk Uninstall.lnk" "$(cd "$(e2e_programs)/$product" 2>/dev/null && ls | paste -sd' ')"

start_from_entry first-removal "$key"
confirm_and_summarise first-removal "$product 1.0.0.0"
wait_program "$uninstaller_pid" 20
expect "remove: exit code 0 and nothing left in the prefix but the shared uninstaller" \
  "0|$drive_c/windows/stUnInst.exe" "$?|$(e2e_leftovers)"

e2e_finish
