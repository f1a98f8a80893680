#!/bin/bash
# usage: demo-install.sh PREFIX MEDIUM WINTOOL OUTDIR
# Installs the sample product from MEDIUM with the defaults, as a user
# clicking Next would, keeps a screenshot of each page in OUTDIR, and shows
# what the installation left: the product's folder, its Uninstall values and
# the head of its protocol.
set -u
. "$(dirname "$0")/../tests/e2e/lib.sh"
prefix=$1 medium=$2 wintool=$3 out=$4
e2e_init "$prefix" "$wintool" "$out"
unset PELMORA_TEST_LANGUAGE_NAME
start_program setup "$medium/Install.exe"
setup=$last_pid
step() {  # CAPTION BUTTON SHOT: wait for the page, keep it, press the button
  ui --timeout 30 wait "$1" >/dev/null || { echo "no window \"$1\""; return 1; }
  sleep 0.5; screenshot "$3"
  ui click "$1" "$2" >/dev/null
}
step Welcome "&Next >" install-1-welcome &&
  step Installation "&Next >" install-2-information &&
  step Installation "&Next >" install-3-target &&
  { sleep 1.5; screenshot install-4-installation; } &&
  ui --timeout 120 wait Finished >/dev/null && screenshot install-5-finished &&
  ui click Finished "Run installed application now" >/dev/null &&
  ui click Finished "&Finish" >/dev/null
wait_program "$setup" 30 || { echo "the setup did not end"; exit 1; }

target="$prefix/drive_c/Programme/Pelmora Demo"
echo "Installed to C:\\Programme\\Pelmora Demo:"
(cd "$target" && find . -type f | sort | sed 's|^\./|  |')
echo "Uninstall values (HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PelmoraDemo):"
values=$(e2e_wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PelmoraDemo' 2>/dev/null | tr -d '\r' | iconv -f CP1252 -t UTF-8 | sed -n 's/^ *\([A-Za-z]*\) *REG_SZ *\(.*\)/  \1 = \2/p')
if [ -n "$values" ]; then echo "$values"; else echo "  none: the product carries no uninstaller (stUnInst.exe), so no Uninstall entry is written"; fi
echo "Head of UnInstall.Log:"
head -n 14 "$target/UnInstall.Log" | tr -d '\r' | iconv -f CP1252 -t UTF-8 | sed 's/^/  /'
[ -f "$target/UnInstall.Log" ]
