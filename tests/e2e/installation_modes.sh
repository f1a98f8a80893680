#!/bin/bash
# usage: installation_modes.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE ACETOOL_EXE OUTDIR
# Setups over an installation they made themselves: a repair that replaces
# only files older than their archive entries, then a complete repair that
# first deletes the listed configuration files and registry keys; each run
# appends its own protocol block behind the earlier ones. Screenshots in
# OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 acetool=$5 out=$6
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
medium_use_acetool "$acetool"
rm -rf "$out"/*.png "$out"/*.out "$out"/*.log "$out"/payload "$out"/*.txt
drive_c="$prefix/drive_c"
programs="$drive_c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
key_name=PelmoraE2EModes
uninstall_key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name"
settings_key='HKCU\Software\PelmoraE2E\Einstellungen'
stamp=202001021234.56 older=201901010000.00 newer=203001010000.00

clean_up() {
  local key
  for key in "$uninstall_key" 'HKCU\Software\PelmoraE2E'; do e2e_wine reg delete "$key" /f >/dev/null 2>&1; done
  rm -rf "$drive_c/Firma" "$drive_c/windows/stUnInst.exe" "$programs/Modi"
}
trap 'clean_up; stop_programs' EXIT
clean_up

payload="$out/payload"
mkdir -p "$payload/daten"
printf 'Lies mich.\r\n' >"$payload/liesmich.txt"
printf 'eins\r\nzwei\r\n' >"$payload/daten/werte.txt"
printf '[Einstellungen]\r\nFarbe=blau\r\n' >"$payload/config.ini"
cp "$wintool" "$payload/stUnInst.exe"
find "$payload" -exec touch -t "$stamp" {} +
write_setup_description "$out/modes.txt" "$setup_version" 1.0.0.0 "$key_name" liesmich.txt \
  "<beginregistry>" 'Software\PelmoraE2E\Einstellungen' "<endregistry>" \
  "<beginicons>" Modi Liesmich liesmich.txt icon "<endicons>" \
  "<beginsupportinfos>" "Pelmora Test" "" "" "" "" "" "" "" "end of support information" \
  "<beginConfigFiles>" benutzer.ini "<endConfigFiles>"
make_installable_medium "$drive_c/medium-modes" "$out/modes.txt" "$payload" --method lz77
target='C:\Firma\Modi\'
installed="$drive_c/Firma/Modi"
protocol="$installed/UnInstall.Log"
# The block each run of this medium appends.
block="$(protocol_box)
0$target
1${target}UnInstall.log
1${target}config.ini
0${target}daten
1${target}daten\\werte.txt
1${target}liesmich.txt
1${target}stUnInst.exe
r1SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name
r1Software\\PelmoraE2E\\Einstellungen
gModi
$(protocol_trailer)"

# Over the existing installation: CHOICE (502 or 503) on its page, then the
# target page, which shows the installed folder.
repair() {  # NAME CHOICE
  start_program "$1" "$drive_c/medium-modes/Install.exe"
  setup=$last_pid
  ui --timeout 30 click Welcome "&Next >" >/dev/null
  ui_wait_line Installation "id=502 " 10
  ui press Installation "$2" >/dev/null
  screenshot "$1-choice"
  ui click Installation "&Weiter >" >/dev/null  # this page's buttons stay German
  ui_wait_line Installation "text=$target" 10
  ui click Installation "&Next >" >/dev/null
}

# --- a new installation to begin with -------------------------------------
start_installation new "$drive_c/medium-modes" 'C:\Firma\Modi'
finish new
expect "new: one protocol block, the Uninstall key" "$block|$target" \
  "$(protocol_of "$protocol")|$(reg_values "$uninstall_key" | sed -n 's/^InstallPath=//p')"
cp "$protocol" "$out/protocol-1.log"

# --- repair: only files older than their entries are replaced -------------
printf 'lokal geaendert\r\n' >"$installed/liesmich.txt"; touch -t "$newer" "$installed/liesmich.txt"
printf 'alt\r\n' >"$installed/daten/werte.txt"; touch -t "$older" "$installed/daten/werte.txt"
# The same time as its entry, other bytes: not newer, so left alone.
printf 'lokal\r\n' >"$installed/config.ini"; touch -t "$stamp" "$installed/config.ini"
repair repair 502
finish repair
expect "repair: the newer and the equal file kept, the older one replaced with its entry's time" \
  "lokal geaendert|lokal|eins zwei|$stamp" \
  "$(tr -d '\r' <"$installed/liesmich.txt")|$(tr -d '\r' <"$installed/config.ini")|$(tr -d '\r' <"$installed/daten/werte.txt" | paste -sd' ')|$(file_time "$installed/daten/werte.txt")"
expect "repair: the first block unchanged, a second one behind it" "unchanged|$block
$block" \
  "$(cmp -s -n "$(stat -c %s "$out/protocol-1.log")" "$out/protocol-1.log" "$protocol" && echo unchanged)|$(protocol_of "$protocol")"
cp "$protocol" "$out/protocol-2.log"

# --- complete repair: listed configuration files and keys go first --------
printf 'Name=Test\r\n' >"$installed/benutzer.ini"
printf 'eigen\r\n' >"$installed/eigenes.txt"
e2e_wine reg add "$settings_key" /v Alt /d "vom Benutzer" /f >/dev/null 2>&1
expect "complete: the value is there before" "Alt=vom Benutzer" "$(reg_values "$settings_key")"
repair complete 503
finish complete
expect "complete: the listed file deleted, another kept, every entry unpacked again" \
  "gone|kept|same same same" \
  "$([ -e "$installed/benutzer.ini" ] && echo kept || echo gone)|$([ -e "$installed/eigenes.txt" ] && echo kept || echo gone)|$(
    for f in liesmich.txt config.ini daten/werte.txt; do cmp -s "$payload/$f" "$installed/$f" && printf 'same ' || printf 'differs(%s) ' "$f"; done | sed 's/ $//')"
expect "complete: the listed key made again, empty" "present|" \
  "$(reg_exists "$settings_key")|$(reg_values "$settings_key")"
expect "complete: the earlier blocks unchanged, a third behind them" "unchanged|$block
$block
$block" \
  "$(cmp -s -n "$(stat -c %s "$out/protocol-2.log")" "$out/protocol-2.log" "$protocol" && echo unchanged)|$(protocol_of "$protocol")"

e2e_finish
