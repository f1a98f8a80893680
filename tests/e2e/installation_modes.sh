#!/bin/bash
# usage: installation_modes.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE OUTDIR
# Setups over an installation they made themselves, from media the medium
# builder makes: a repair that replaces only files older than their archive
# entries, a complete repair that first deletes the listed configuration
# files and registry keys (from a description altered by hand to list keys
# shared with Windows, which it keeps, telling so once), an update to a
# newer version that leaves a registry.reg it did not unpack alone, a
# downgrade installed all the same and a complete update that overwrites
# every file; each run appends its own protocol block behind the earlier
# ones and seals the whole in the Uninstall entry. The builder refuses a
# shared key. Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 out=$5
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
key_name=PelmoraE2EModes
uninstall_key="HKCU\\$e2e_uninstall_key\\$key_name"
settings_key='HKCU\Software\PelmoraE2E\Einstellungen'
stamp=202001021234.56 older=201901010000.00 newer=203001010000.00 later=202101010000.00
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
e2e_clean_prefix modes

payload="$out/payload"
mkdir -p "$payload/daten"
printf 'Lies mich.\r\n' >"$payload/liesmich.txt"
printf 'eins\r\nzwei\r\n' >"$payload/daten/werte.txt"
printf '[Einstellungen]\r\nFarbe=blau\r\n' >"$payload/config.ini"
cp "$wintool" "$payload/stUnInst.exe"
find "$payload" -exec touch -t "$stamp" {} +
modes_manifest() {  # MANIFEST VERSION
  write_manifest "$1" "$2" "$key_name" "program = liesmich.txt" \
    "[registry]" 'key = Software\PelmoraE2E\Einstellungen' \
    "[shortcut]" "group = Modi" "name = Liesmich" "target = liesmich.txt" \
    "[support]" "publisher = Pelmora Test" "[config-files]" "file = benutzer.ini" \
    "[archive]" "method = lz77"
}
modes_manifest "$out/modes-1.0.ini" 1.0.0.0
make_built_medium "$out/medium-1.0" "$out/modes-1.0.ini" "$payload"
# Version 1.1 brings a new read-me, later than the first one.
cp -a "$payload" "$out/payload-1.1"
printf 'Lies mich, Version 1.1.\r\n' >"$out/payload-1.1/liesmich.txt"
touch -t "$later" "$out/payload-1.1/liesmich.txt"
modes_manifest "$out/modes-1.1.ini" 1.1.0.0
make_built_medium "$out/medium-1.1" "$out/modes-1.1.ini" "$out/payload-1.1"
# A key Windows and other software share is no product's: the builder names
# it with the manifest's line, passes the product's own key and writes
# nothing.
write_manifest "$out/shared.ini" 1.0.0.0 "$key_name" "program = liesmich.txt" \
  "[registry]" 'key = Software\PelmoraE2E\Einstellungen' 'key = Software\Microsoft'
make_built_medium "$out/medium-shared" "$out/shared.ini" "$payload" 2>/dev/null
expect "shared: the builder refuses Software\\Microsoft alone, nothing written" \
  "pelmora-pack build: nothing written, 1 problem(s):
  $(e2e_winpath "$out/shared.ini"): line 9, [registry] key: \"Software\\Microsoft\" is not a key of the product's own: Windows or other software shares it (Software itself, Software\\Classes, Software\\Microsoft, Software\\Policies, Software\\ODBC, ...)|absent" \
  "$(tr -d '\r' <"$out/build.err")|$([ -e "$out/medium-shared" ] && echo present || echo absent)"
# A default folder every setup would refuse (a network path, a drive's root,
# the Windows folder) is refused when the medium is built, naming the
# manifest's line, and nothing is written.
for refused in 'network|\\PelmoraSrv\Freigabe\Modi|is a network path' \
  "root|C:\\|is a drive's root folder" 'windows|C:/WINDOWS/Modi|lies in the Windows folder'; do
  IFS='|' read -r kind folder why <<<"$refused"
  manifest_directory=$folder write_manifest "$out/folder-$kind.ini" 1.0.0.0 "$key_name" \
    "program = liesmich.txt"
  make_built_medium "$out/medium-folder-$kind" "$out/folder-$kind.ini" "$payload" 2>/dev/null
  err=$(tr -d '\r' <"$out/build.err")
  named="$(e2e_winpath "$out/folder-$kind.ini"): line 5, [product] directory: \"$folder\" $why"
  expect "folder $kind: the builder refuses $folder with its line, nothing written" \
    "named|absent" \
    "$(grep -qF -- "$named" <<<"$err" && echo named || echo "$err")|$([ -e "$out/medium-folder-$kind" ] && echo present || echo absent)"
done
# Made by hand, as the builder refuses it: version 1.0 whose description
# lists besides its own key one the rule refuses, Software\Microsoft, and the
# vendor's own key directly below Software, which other products share.
cp -r "$out/medium-1.0" "$out/medium-hand"
alter_description "$out/medium-hand" \
  sed 's/^<endregistry>\r$/Software\\Microsoft\r\nSoftware\\PelmoraE2EHand\r\n&/'
target='C:\Firma\Modi\'
installed="$drive_c/Firma/Modi"
protocol="$installed/UnInstall.Log"
# The block each run of this medium appends; the first one names the parent
# C:\Firma the first run made.
block_lines() {  # [PARENT_LINE] [KEY_LINE...]: after the header, after the own key
  local parent=${1:-}; shift
  protocol_box
  printf '%s\n' "0$target" "1${target}UnInstall.log" ${parent:+"$parent"} "1${target}config.ini" \
    "0${target}daten" "1${target}daten\\werte.txt" "1${target}liesmich.txt" \
    "1${target}stUnInst.exe" "r1SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name" \
    'r1Software\PelmoraE2E\Einstellungen' "$@" gModi
  protocol_trailer
}
first_block="$(block_lines '0C:\Firma\')"
block="$(block_lines)"
# The hand-made medium's block: the vendor's key made and recorded, the
# refused one neither.
hand_block="$(block_lines '' 'r1Software\PelmoraE2EHand')"

# Over the existing installation: CHOICE (502 or 503) on its page, then the
# target page, which shows the installed folder.
repair() {  # NAME CHOICE [MEDIUM]
  start_program "$1" "${3:-$out/medium-1.0}/Install.exe"
  setup=$last_pid
  ui --timeout 30 click Welcome "&Next >" >/dev/null
  ui_wait_line Installation "id=502 " 10
  existing_page=$(control_text Installation 103)
  ui press Installation "$2" >/dev/null
  screenshot "$1-choice"
  ui click Installation "&Weiter >" >/dev/null  # this page's buttons stay German
  ui_wait_line Installation "text=$target" 10
  ui click Installation "&Next >" >/dev/null
}

# --- a new installation to begin with -------------------------------------
start_installation new "$out/medium-1.0" 'C:\Firma\Modi'
finish new
expect "new: one protocol block, sealed; the Uninstall key" "$first_block|sealed|$target|1.0.0.0" \
  "$(protocol_of "$protocol")|$(sealed "$uninstall_key" "$protocol")|$(reg_values "$uninstall_key" | sed -n 's/^InstallPath=//p')|$(reg_values "$uninstall_key" | sed -n 's/^DisplayVersion=//p')"
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
expect "repair: the first block unchanged, a second one behind it, sealed" "unchanged|$first_block
$block|sealed" \
  "$(cmp -s -n "$(stat -c %s "$out/protocol-1.log")" "$out/protocol-1.log" "$protocol" && echo unchanged)|$(protocol_of "$protocol")|$(sealed "$uninstall_key" "$protocol")"
cp "$protocol" "$out/protocol-2.log"

# --- complete repair: listed configuration files and keys go first --------
# From the hand-made medium: the key the rule refuses stays, with what is in
# it, and one notice names it before the repair goes on; the vendor's key is
# not wiped and needs no notice.
printf 'Name=Test\r\n' >"$installed/benutzer.ini"
printf 'eigen\r\n' >"$installed/eigenes.txt"
e2e_wine reg add "$settings_key" /v Alt /d "vom Benutzer" /f >/dev/null 2>&1
e2e_wine reg add 'HKCU\Software\PelmoraE2EHand' /v Alt /d "vom Benutzer" /f >/dev/null 2>&1
shared_before=$(e2e_wine reg query 'HKCU\Software\Microsoft' | tr -d '\r')
expect "complete: the values are there before, Software\\Microsoft has subkeys" "Alt=vom Benutzer|Alt=vom Benutzer|yes" \
  "$(reg_values "$settings_key")|$(reg_values 'HKCU\Software\PelmoraE2EHand')|$(grep -q '^HKEY_CURRENT_USER\\Software\\Microsoft\\' <<<"$shared_before" && echo yes)"
repair complete 503 "$out/medium-hand"
ui --timeout 60 wait Pelmora >/dev/null
screenshot complete-notice
expect "complete: one notice names the key kept" \
  'The complete repair does not delete these registry keys, which are not the product'"'"'s own (Windows or other software shares them, or they lie outside Software):\nSoftware\Microsoft' \
  "$(ui dismiss Pelmora)"
# A second notice would hold the run before its finished page.
finish complete
expect "complete: the shared keys kept as they were" "same|Alt=vom Benutzer" \
  "$([ "$(e2e_wine reg query 'HKCU\Software\Microsoft' | tr -d '\r')" = "$shared_before" ] && echo same)|$(reg_values 'HKCU\Software\PelmoraE2EHand')"
expect "complete: the listed file deleted, another kept, every entry unpacked again" \
  "gone|kept|same" \
  "$([ -e "$installed/benutzer.ini" ] && echo kept || echo gone)|$([ -e "$installed/eigenes.txt" ] && echo kept || echo gone)|$(same_files "$payload" "$installed" liesmich.txt config.ini daten/werte.txt)"
expect "complete: the listed key made again, empty" "present|" \
  "$(reg_exists "$settings_key")|$(reg_values "$settings_key")"
expect "complete: the earlier blocks unchanged, a third behind them, sealed" "unchanged|$first_block
$block
$hand_block|sealed" \
  "$(cmp -s -n "$(stat -c %s "$out/protocol-2.log")" "$out/protocol-2.log" "$protocol" && echo unchanged)|$(protocol_of "$protocol")|$(sealed "$uninstall_key" "$protocol")"
cp "$protocol" "$out/protocol-3.log"

# --- update: a newer version, its normal update ---------------------------
# Only entries later than the installed files replace them: the new read-me
# replaces the one the complete repair wrote, a local file newer than its
# entry stays. A registry.reg that someone put into the target folder is
# not the update's: neither imported nor deleted.
printf 'lokal\r\n' >"$installed/config.ini"; touch -t "$newer" "$installed/config.ini"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\PelmoraE2EFremd\\Import]\r\n"Wert"="untergeschoben"\r\n\r\n' \
  >"$installed/registry.reg"
cp "$installed/registry.reg" "$out/foreign.reg"
repair update 502 "$out/medium-1.1"
finish update
expect "update: the foreign registry.reg neither imported nor deleted" "absent|kept" \
  "$(reg_exists 'HKCU\Software\PelmoraE2EFremd')|$(cmp -s "$out/foreign.reg" "$installed/registry.reg" && echo kept)"
expect "update: its page, the new read-me, the newer local file kept" \
  "Update to 1.1.0.0|Lies mich, Version 1.1.|lokal" \
  "$existing_page|$(tr -d '\r' <"$installed/liesmich.txt")|$(tr -d '\r' <"$installed/config.ini")"
expect "update: the Uninstall entry names the new version" "Pelmora E2E 1.1.0.0|1.1.0.0|$target" \
  "$(reg_values "$uninstall_key" | sed -n 's/^DisplayName=//p')|$(reg_values "$uninstall_key" | sed -n 's/^DisplayVersion=//p')|$(reg_values "$uninstall_key" | sed -n 's/^InstallPath=//p')"
expect "update: the earlier blocks unchanged, a fourth behind them, sealed" "unchanged|$first_block
$block
$hand_block
$block|sealed" \
  "$(cmp -s -n "$(stat -c %s "$out/protocol-3.log")" "$out/protocol-3.log" "$protocol" && echo unchanged)|$(protocol_of "$protocol")|$(sealed "$uninstall_key" "$protocol")"

# --- downgrade: the older version installed all the same ------------------
# Its second choice overwrites every file, the newer ones too.
repair downgrade 503 "$out/medium-1.0"
finish downgrade
expect "downgrade: its page, every file from the older medium" "Downgrade|same" \
  "$existing_page|$(same_files "$payload" "$installed" liesmich.txt config.ini daten/werte.txt)"
expect "downgrade: the Uninstall entry names the older version, a fifth block" "1.0.0.0|5" \
  "$(reg_values "$uninstall_key" | sed -n 's/^DisplayVersion=//p')|$(grep -c '^/end of installation' "$protocol")"
cp "$protocol" "$out/protocol-5.log"

# --- complete update: the newer version's second choice -------------------
# Every file is overwritten with its entry: the read-me older than its
# entry, a local file as new as its entry and one newer than it (both of
# which the normal update keeps). Unlike the complete repair it deletes
# neither the listed configuration file nor the listed key's values.
printf 'lokal\r\n' >"$installed/config.ini"; touch -t "$newer" "$installed/config.ini"
printf 'lokal\r\n' >"$installed/daten/werte.txt"; touch -t "$stamp" "$installed/daten/werte.txt"
printf 'Name=Test\r\n' >"$installed/benutzer.ini"
e2e_wine reg add "$settings_key" /v Alt /d "vom Benutzer" /f >/dev/null 2>&1
repair complete-update 503 "$out/medium-1.1"
finish complete-update
expect "complete-update: its page, every file from the newer medium with its entry's time" \
  "Update to 1.1.0.0|same|$later $stamp $stamp" \
  "$existing_page|$(same_files "$out/payload-1.1" "$installed" liesmich.txt config.ini daten/werte.txt)|$(file_time "$installed/liesmich.txt") $(file_time "$installed/config.ini") $(file_time "$installed/daten/werte.txt")"
expect "complete-update: the listed configuration file and the key's value kept" "kept|Alt=vom Benutzer" \
  "$([ -e "$installed/benutzer.ini" ] && echo kept || echo gone)|$(reg_values "$settings_key")"
expect "complete-update: the Uninstall entry names the new version; the earlier blocks unchanged, a sixth behind them, sealed" \
  "1.1.0.0|unchanged|$first_block
$block
$hand_block
$block
$block
$block|sealed" \
  "$(reg_values "$uninstall_key" | sed -n 's/^DisplayVersion=//p')|$(cmp -s -n "$(stat -c %s "$out/protocol-5.log")" "$out/protocol-5.log" "$protocol" && echo unchanged)|$(protocol_of "$protocol")|$(sealed "$uninstall_key" "$protocol")"
expect "complete-update: what the installations left in the prefix" "$drive_c/Firma
$(e2e_programs)/Modi
$drive_c/windows/stUnInst.exe
HKEY_CURRENT_USER\\Software\\PelmoraE2E
HKEY_CURRENT_USER\\Software\\PelmoraE2EHand
HKEY_CURRENT_USER\\$e2e_uninstall_key\\$key_name" "$(e2e_leftovers)"

e2e_finish
