#!/bin/bash
# usage: demo-unattended.sh PREFIX SETUP_EXE WINTOOL OUTDIR
# The sample product's one setup file installed with nobody at the screen
# (/S, a folder of one's own, a log), then removed the way a package manager
# removes it: with the Uninstall entry's QuietUninstallString. Shows the
# exit codes, the logs' heads and what is left.
set -u
. "$(dirname "$0")/../tests/e2e/lib.sh"
. "$(dirname "$0")/../tests/e2e/medium.sh"
prefix=$1 setup=$2 wintool=$3 out=$4
e2e_init "$prefix" "$wintool" "$out"
unset PELMORA_TEST_LANGUAGE_NAME
target='C:\Pelmora Demo Leise'
install_log="$out/install.log" remove_log="$out/remove.log"

echo "Setup.exe /S \"/LOG=...install.log\" \"/D=$target\""
e2e_wine "$setup" /S "/LOG=$(e2e_winpath "$install_log")" "/D=$target" </dev/null
echo "  exit code $? (0: installed); the log's first and last lines:"
tr -d '\r' <"$install_log" | iconv -f CP1252 -t UTF-8 | sed -n '1,4p;$p' | sed 's/^/  /'
echo "  files in $target: $(find "$prefix/drive_c/Pelmora Demo Leise" -type f | wc -l)"

entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PelmoraDemo'
quiet=$(reg_values "$entry" | sed -n 's/^QuietUninstallString=//p')
echo "QuietUninstallString: $quiet"
protocol=${quiet#* /S \"} protocol=${protocol%\"}
e2e_wine "${quiet%% /S *}" /S "$protocol" "/LOG=$(e2e_winpath "$remove_log")" </dev/null
status=$?
echo "  exit code $status (0: everything removed); the log's last lines:"
tr -d '\r' <"$remove_log" | iconv -f CP1252 -t UTF-8 | tail -n 3 | sed 's/^/  /'
echo "  left: target folder $([ -e "$prefix/drive_c/Pelmora Demo Leise" ] && echo present || echo gone)," \
  "Uninstall entry $(reg_exists "$entry" | sed 's/absent/gone/')"
[ "$status" -eq 0 ] && [ ! -e "$prefix/drive_c/Pelmora Demo Leise" ]
