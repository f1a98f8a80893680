#!/bin/bash
# usage: demo-install.sh PREFIX MEDIUM WINTOOL OUTDIR
# Installs the sample product from MEDIUM with the defaults, as a user
# clicking Next would, keeps a screenshot of each page in OUTDIR, and shows
# what the installation left: the product's folder, its Uninstall values and
# the head of its protocol. Then removes it again with the uninstaller, as
# its Uninstall entry starts it, and shows what is left.
set -u
. "$(dirname "$0")/../tests/e2e/lib.sh"
. "$(dirname "$0")/../tests/e2e/medium.sh"
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
entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PelmoraDemo'
echo "Uninstall values ($entry):"
# Wine's reg writes in the console's OEM code page.
values=$(reg_values "$entry" | iconv -f CP850 -t UTF-8 | sed 's/^\([^=]*\)=/  \1 = /')
if [ -n "$values" ]; then echo "$values"; else echo "  none: the product carries no uninstaller (stUnInst.exe), so no Uninstall entry is written"; fi
echo "Head of UnInstall.Log:"
head -n 14 "$target/UnInstall.Log" | tr -d '\r' | iconv -f CP1252 -t UTF-8 | sed 's/^/  /'
[ -f "$target/UnInstall.Log" ] || exit 1

[ "$(reg_exists "$entry")" = present ] || exit 0
echo "Removing it: $(reg_values "$entry" | iconv -f CP850 -t UTF-8 | sed -n 's/^UninstallString=//p')"
start_from_entry uninstall "$entry"
confirm_and_summarise uninstall "Pelmora Demo 1.0.0.0"
wait_program "$uninstaller_pid" 30 || echo "the uninstaller did not end"
echo "The uninstaller's summary:"
printf '%s\n' "$summary" | tr -d '\r' | iconv -f CP1252 -t UTF-8 | sed 's/^/  /'
echo "Left of the product: target folder $([ -e "$target" ] && echo present || echo gone)," \
  "Uninstall entry $(reg_exists "$entry" | sed 's/absent/gone/')," \
  "registry key $(reg_exists 'HKCU\Software\Pelmora\Demo' | sed 's/absent/gone/')"
[ ! -e "$target" ] && [ "$(reg_exists "$entry")" = absent ]
