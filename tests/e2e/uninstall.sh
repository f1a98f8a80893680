#!/bin/bash
# usage: uninstall.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE
#                     COM_REGISTERS_DLL HOLD_FILE_EXE OUTDIR
# The uninstaller on products the setup installed and on protocols made by
# hand: a whole removal that keeps the user's file and key, an update over
# an installation (two blocks) while another product still uses the shared
# uninstaller, a file in use, damaged protocols and an altered one that
# names things outside the product or reaches them through a link; the
# answer No.
# Each scenario starts in a cleaned prefix. Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 com_registers=$6 hold_file=$7 out=$8
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
programs=$(e2e_programs)
uninstall_root="HKCU\\$e2e_uninstall_key"
key_name=PelmoraE2EUninst
other_key="$uninstall_root\\PelmoraE2EAndere"
session_manager='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'

# Besides what every setup leaves: the removals scheduled for the restart
# and a protocol placed in the Windows folder.
clean_up() {  # NAME
  e2e_wine reg delete "$session_manager" /v PendingFileRenameOperations /f >/dev/null 2>&1
  rm -f "$drive_c/windows/UnInstall.Log"
  e2e_clean_prefix "$1"
}
trap 'clean_up end >/dev/null; stop_programs' EXIT
clean_up start

# --- helpers --------------------------------------------------------------
# The files removed at the next restart, one a line, without the "\??\".
pending_removals() {
  e2e_wine reg query "$session_manager" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p' | sed 's/\\0/\n/g' |
    sed -n 's/^\\??\\//p'
}
start_uninstaller() {  # NAME [ARGUMENT]: the build's copy, not the Windows folder's
  local name=$1; shift
  start_program "$name" "$uninstaller" "$@"
  uninstaller_pid=$last_pid
}
# The uninstaller's exit code once it has ended (waited for by this shell,
# whose child it is).
exit_code() { wait_program "$uninstaller_pid" 20; exit_status=$?; }
listing() { (cd "$1" 2>/dev/null && find . -mindepth 1 | sed 's#^\./##' | sort | paste -sd' '); }
# A protocol written by hand: header box, date, target folder, the protocol
# itself, LINEs, trailer.
write_protocol() {  # FILE TARGET LINE...
  local file=$1 target=$2; shift 2
  mkdir -p "$(dirname "$file")"
  { protocol_box | sed "s#^/Date: DATE - Time: TIME#/Date: 01.02.2026 - Time: 10:00:00#"
    printf '%s\n' "0$target" "1${target}UnInstall.log" "$@"
    protocol_trailer | sed 's#DURATION#0:00:01#'
  } | sed 's/$/\r/' >"$file"
}

# --- the product ------------------------------------------------------------
payload="$out/payload"
mkdir -p "$payload/daten" "$payload/com"
cp "$wintool" "$payload/main.exe"
printf 'Lies mich.\r\n' >"$payload/liesmich.txt"
printf 'eins\r\nzwei\r\n' >"$payload/daten/werte.txt"
printf '[Einstellungen]\r\nFarbe=blau\r\n' >"$payload/config.ini"
cp "$com_registers" "$payload/com/registers.dll"
# The medium builder puts the uninstaller under test into the archive.
write_manifest "$out/product.ini" 1.0.0.0 "$key_name" "program = main.exe" \
  "[registry]" 'key = Software\PelmoraE2EU\Einstellungen' 'key = Software\PelmoraE2EU\Daten' \
  "[com]" 'server = com\registers.dll' \
  "[shortcut]" "group = Pelmora Entfernen" "name = Hauptprogramm" "target = main.exe" "icon = main.exe" \
  "[shortcut]" "group = Pelmora Entfernen" "name = Liesmich" "target = liesmich.txt" \
  "[archive]" "method = lz77"
make_built_medium "$out/medium-product" "$out/product.ini" "$payload" \
  --uninstaller "$(e2e_winpath "$uninstaller")"

# --- 1. Install, then remove as the Uninstall entry says ------------------
# The target holds a blank, so the entry's quoted path reaches the program
# quoted.
target='C:\Firma\Mein Produkt\'
installed="$drive_c/Firma/Mein Produkt"
start_installation install "$out/medium-product" 'C:\Firma\Mein Produkt'
finish install
cp "$installed/UnInstall.Log" "$out/product-protocol.log"
expect "whole: installed with its keys, server, shortcuts and entry" \
  "present present present Registered=${target}com\\registers.dll|Hauptprogramm.lnk Liesmich.lnk Uninstall.lnk" \
  "$(reg_exists "$uninstall_root\\$key_name") $(reg_exists 'HKCU\Software\PelmoraE2EU\Einstellungen') $(reg_exists 'HKCU\Software\PelmoraE2EU\Daten') $(reg_values 'HKCU\Software\PelmoraTest\ComServer')|$(listing "$programs/Pelmora Entfernen")"
# The user's own file in the target and a key of his beside the product's.
printf 'meine Notizen\r\n' >"$installed/eigene Notiz.txt"
e2e_wine reg add 'HKCU\Software\PelmoraE2EU\Fremd' /v Wert /d behalten /f >/dev/null 2>&1

start_from_entry whole "$uninstall_root\\$key_name"
confirm_and_summarise whole "Pelmora E2E 1.0.0.0"
expect "whole: the confirmation names the product" \
  'Do you want to remove "Pelmora E2E 1.0.0.0" and all of its components?' "$confirmation"
expect "whole: the summary: what went, and the target kept for the user's file" \
  "\"Pelmora E2E 1.0.0.0\" has been removed in part.

Removed: 6 files, 3 folders, 3 registry keys, 3 shortcuts, 1 COM server unregistered.

Left in place:
C:\\Firma\\Mein Produkt (folder not empty: holds files that are not the product's)" "$summary"
expect "whole: the progress window: the summary's first line and a bar" \
  "Static text=\"Pelmora E2E 1.0.0.0\" has been removed in part.|msctls_progress32" \
  "$(sed -n 's/^\(Static\) id=.* \(text=.*\)/\1 \2/p' <<<"$progress")|$(grep -o '^msctls_progress32' <<<"$progress")"
exit_code
expect "whole: exit code 2, something left" 2 "$exit_status"
expect "whole: only the user's file is left in the target" "eigene Notiz.txt" "$(listing "$installed")"
expect "whole: entry, keys and the server's registration gone; the user's key kept" \
  "absent absent absent ||Wert=behalten" \
  "$(reg_exists "$uninstall_root\\$key_name") $(reg_exists 'HKCU\Software\PelmoraE2EU\Einstellungen') $(reg_exists 'HKCU\Software\PelmoraE2EU\Daten') |$(reg_values 'HKCU\Software\PelmoraTest\ComServer')|$(reg_values 'HKCU\Software\PelmoraE2EU\Fremd')"
expect "whole: the group and its shortcuts gone" "absent absent" \
  "$([ -e "$programs/Pelmora Entfernen" ] && echo present || echo absent) $([ -e "$programs/Uninstall.lnk" ] && echo present || echo absent)"
expect "whole: the Windows folder's uninstaller, used by no other entry, goes at the restart" \
  'C:\windows\stUnInst.exe' "$(pending_removals)"
expect "whole: left in the prefix: the user's folder and key, the uninstaller until the restart, the test server's key" \
  "$drive_c/Firma
$drive_c/windows/stUnInst.exe
HKEY_CURRENT_USER\\Software\\PelmoraE2EU
HKEY_CURRENT_USER\\Software\\PelmoraTest" "$(e2e_leftovers)"
clean_up whole

# --- 2. An update over an installation: two blocks; another product's entry
# still starts the shared uninstaller, which therefore stays --------------
cp -r "$payload" "$out/payload-update"
printf 'neu\r\n' >"$out/payload-update/neu.txt"
mkdir -p "$out/payload-update/extra"
printf 'x\r\n' >"$out/payload-update/extra/mehr.txt"
write_manifest "$out/update.ini" 2.0.0.0 "$key_name" "program = main.exe" \
  "[registry]" 'key = Software\PelmoraE2EU\Einstellungen' 'key = Software\PelmoraE2EU\Neu' \
  "[shortcut]" "group = Pelmora Entfernen" "name = Hauptprogramm" "target = main.exe" \
  "[archive]" "method = lz77"
make_built_medium "$out/medium-update" "$out/update.ini" "$out/payload-update" \
  --uninstaller "$(e2e_winpath "$uninstaller")"
installed="$drive_c/Firma/Zweimal"
start_installation first "$out/medium-product" 'C:\Firma\Zweimal'
finish first
start_program update "$out/medium-update/Install.exe"
setup=$last_pid
ui --timeout 30 click Welcome "&Next >" >/dev/null
ui_wait_line Installation "id=502 " 10
ui press Installation 502 >/dev/null
ui click Installation "&Weiter >" >/dev/null
ui_wait_line Installation 'text=C:\Firma\Zweimal\' 10
ui click Installation "&Next >" >/dev/null
finish update
cp "$installed/UnInstall.Log" "$out/two-block-protocol.log"
expect "two blocks: the protocol holds both runs, the update added its files" "2|present present" \
  "$(grep -c '^/ UnInstall protocol file' "$installed/UnInstall.Log")|$([ -e "$installed/neu.txt" ] && echo present) $(reg_exists 'HKCU\Software\PelmoraE2EU\Neu')"
e2e_wine reg add "$other_key" /v UninstallString /d 'C:\windows\stUnInst.exe "C:\Firma\Andere\UnInstall.log"' /f >/dev/null 2>&1

start_from_entry two-blocks "$uninstall_root\\$key_name"
confirm_and_summarise two-blocks "Pelmora E2E 2.0.0.0"
expect "two blocks: everything of both runs removed" \
  "\"Pelmora E2E 2.0.0.0\" has been removed.

Removed: 8 files, 5 folders, 4 registry keys, 3 shortcuts, 1 COM server unregistered." "$summary"
exit_code
expect "two blocks: exit code 0" 0 "$exit_status"
expect "two blocks: no target folder, key or group left" "absent|absent absent absent absent|absent" \
  "$([ -e "$installed" ] && echo present || echo absent)|$(reg_exists "$uninstall_root\\$key_name") $(reg_exists 'HKCU\Software\PelmoraE2EU\Einstellungen') $(reg_exists 'HKCU\Software\PelmoraE2EU\Neu') $(reg_exists 'HKCU\Software\PelmoraE2EU\Daten')|$([ -e "$programs/Pelmora Entfernen" ] && echo present || echo absent)"
expect "two blocks: the shared uninstaller stays for the other product" "|present" \
  "$(pending_removals)|$([ -e "$drive_c/windows/stUnInst.exe" ] && echo present)"
# C:\Firma, made by the setup as the target's parent, lies outside the
# target: not the uninstaller's to remove, even empty.
expect "two blocks: left in the prefix: the target's empty parent, the other product's uninstaller and entry, the test server's key" \
  "$drive_c/Firma
$drive_c/windows/stUnInst.exe
HKEY_CURRENT_USER\\Software\\PelmoraTest
HKEY_CURRENT_USER\\$e2e_uninstall_key\\PelmoraE2EAndere|" "$(e2e_leftovers)|$(listing "$drive_c/Firma")"
clean_up two-blocks

# --- 3. A file in use, in German ---------------------------------------
export PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)"
ae=$(printf '\xe4') ue=$(printf '\xfc')
locked='C:\Firma\Gesperrt\'
mkdir -p "$drive_c/Firma/Gesperrt/bin"
printf 'a\r\n' >"$drive_c/Firma/Gesperrt/bin/programm.dll"
printf 'b\r\n' >"$drive_c/Firma/Gesperrt/liesmich.txt"
# A key below HKEY_LOCAL_MACHINE as well, with a parent made for it.
e2e_wine reg add 'HKLM\Software\PelmoraE2EU\Maschine\Tiefer' /v Wert /d x /f >/dev/null 2>&1
write_protocol "$drive_c/Firma/Gesperrt/UnInstall.Log" "$locked" "0${locked}bin" \
  "1${locked}bin\\programm.dll" "1${locked}liesmich.txt" 'r0Software\PelmoraE2EU\Maschine' g
start_program holder "$hold_file" "${locked}bin\\programm.dll" 60
for _ in $(seq 50); do grep -q holding "$out/holder.out" 2>/dev/null && break; sleep 0.2; done
start_uninstaller locked "${locked}UnInstall.Log"
confirm_and_summarise locked "$locked"
expect "locked: the confirmation in German, naming the target folder" \
  "Wollen Sie \"$locked\" mit allen Komponenten entfernen?" "$confirmation"
at_restart="enth${ae}lt eine Datei in Gebrauch: wird beim n${ae}chsten Neustart entfernt"
expect "locked: the file in use and the folders it keeps listed for the restart" \
  "\"$locked\" wurde teilweise entfernt.

Entfernt: 2 Dateien, 0 Ordner, 1 Registrierungsschl${ue}ssel, 0 Verkn${ue}pfungen, 0 COM-Server abgemeldet.

Nicht entfernt:
${locked}bin\\programm.dll (in Gebrauch: wird beim n${ae}chsten Neustart entfernt)
${locked}bin ($at_restart)
C:\\Firma\\Gesperrt ($at_restart)" "$summary"
exit_code
expect "locked: exit code 2" 2 "$exit_status"
expect "locked: the file, then its folders scheduled for the restart; the rest gone" \
  "${locked}bin\\programm.dll
${locked}bin
C:\\Firma\\Gesperrt|bin bin/programm.dll" \
  "$(pending_removals)|$(listing "$drive_c/Firma/Gesperrt")"
expect "locked: the machine key and its emptied parent gone" "absent absent" \
  "$(reg_exists 'HKLM\Software\PelmoraE2EU\Maschine') $(reg_exists 'HKLM\Software\PelmoraE2EU')"
clean_up locked

# --- 4. Damaged protocols: a message, nothing changed --------------------
mkdir -p "$drive_c/Firma/Kaputt"
head -c 3000 /dev/urandom >"$drive_c/Firma/Kaputt/UnInstall.Log"
printf 'x\r\n' >"$drive_c/Firma/Kaputt/daten.txt"
damaged() {  # NAME EXPECTED_MESSAGE [ARGUMENT]
  local name=$1 message=$2; shift 2
  start_uninstaller "$name" "$@"
  ui --timeout 30 wait Deinstallation >/dev/null
  screenshot "$name-message"
  expect "$name: the message" "$message" "$(ui dismiss Deinstallation | tr -d '\r')"
  exit_code
  expect "$name: exit code 1, nothing changed" 1 "$exit_status"
}
damaged damaged "Die Datei \"C:\\Firma\\Kaputt\\UnInstall.Log\" ist kein Deinstallationsprotokoll. Es wurde nichts entfernt." \
  'C:\Firma\Kaputt\UnInstall.Log'
damaged no-argument "Starten Sie die Deinstallation mit dem Pfad der Protokolldatei des Produkts (UnInstall.log) als einzigem Argument. Es wurde nichts entfernt."
write_protocol "$drive_c/Firma/Wurzel/UnInstall.Log" 'C:\' '1C:\Firma\Kaputt\daten.txt'
damaged drive-root "Das Protokoll \"C:\\Firma\\Wurzel\\UnInstall.Log\" nennt ein ganzes Laufwerk als Zielordner. Es wurde nichts entfernt." \
  'C:\Firma\Wurzel\UnInstall.Log'
write_protocol "$drive_c/windows/UnInstall.Log" 'C:\windows\' '1C:\windows\win.ini'
damaged windows-folder "Das Protokoll \"C:\\windows\\UnInstall.Log\" nennt einen Ordner von Windows oder aller Benutzer (etwa den Windows-, Programm- oder Profilordner) als Zielordner. Es wurde nichts entfernt." \
  'C:\windows\UnInstall.Log'
expect "damaged: the files are all still there" "UnInstall.Log daten.txt|UnInstall.Log|present present" \
  "$(listing "$drive_c/Firma/Kaputt")|$(listing "$drive_c/Firma/Wurzel")|$([ -e "$drive_c/windows/win.ini" ] && echo present) $([ -e "$drive_c/windows/UnInstall.Log" ] && echo present)"
unset PELMORA_TEST_LANGUAGE_NAME
clean_up damaged

# A sound protocol, and the user says No.
kept='C:\Firma\Behalten\'
mkdir -p "$drive_c/Firma/Behalten"
printf 'x\r\n' >"$drive_c/Firma/Behalten/daten.txt"
write_protocol "$drive_c/Firma/Behalten/UnInstall.Log" "$kept" "1${kept}daten.txt"
start_uninstaller answer-no "${kept}UnInstall.Log"
ui --timeout 30 wait "$kept" >/dev/null
ui click "$kept" "&No" >/dev/null
exit_code
expect "answer-no: exit code 1, nothing removed" "1|UnInstall.Log daten.txt" \
  "$exit_status|$(listing "$drive_c/Firma/Behalten")"
clean_up answer-no

# --- 5. An altered protocol: what lies outside is refused and listed ------
altered='C:\Firma\Boese\'
mkdir -p "$drive_c/Firma/Boese" "$drive_c/Firma/Opfer"
printf 'gut\r\n' >"$drive_c/Firma/Boese/gut.txt"
# A folder with a "." recorded as a file, a file without one as a folder.
mkdir -p "$drive_c/Firma/Boese/v1.2"
printf 'a\r\n' >"$drive_c/Firma/Boese/v1.2/a.txt"
printf 'Lies mich.\r\n' >"$drive_c/Firma/Boese/LIESMICH"
# A link inside the product's folder that leads out of it.
ln -s "$drive_c/Firma/Opfer" "$drive_c/Firma/Boese/verweis"
printf 'wichtig\r\n' >"$drive_c/Firma/Opfer/wichtig.txt"
printf 'auch\r\n' >"$drive_c/Firma/Opfer/auch.txt"
e2e_wine reg add 'HKCU\Software\PelmoraOpfer' /v Wert /d bleibt /f >/dev/null 2>&1
e2e_wine reg add "$other_key" /v UninstallString /d 'C:\windows\stUnInst.exe "C:\Firma\Andere\UnInstall.log"' /f >/dev/null 2>&1
write_protocol "$drive_c/Firma/Boese/UnInstall.Log" "$altered" "1${altered}gut.txt" \
  "1${altered}v1.2" "1${altered}v1.2\\a.txt" "0${altered}LIESMICH" "1${altered}verweis\\wichtig.txt" \
  '1C:\Firma\Opfer\wichtig.txt' "1${altered}..\\Opfer\\auch.txt" '0C:\Firma\Opfer' \
  'r1Software' 'r1' 'r1\' 'r1HKEY_CURRENT_USER' 'r0SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' \
  'gPelmora Entfernen\..\..' "r1$e2e_uninstall_key\\PelmoraE2EAndere"
start_uninstaller altered "${altered}UnInstall.Log"
confirm_and_summarise altered "$altered"
expect "altered: every line outside the product refused and listed" \
  "\"$altered\" has been removed in part.

Removed: 4 files, 1 folder, 0 registry keys, 0 shortcuts, 0 COM servers unregistered.

Left in place:
C:\\Firma\\Opfer\\wichtig.txt (refused: outside the target folder)
${altered}..\\Opfer\\auch.txt (refused: path with \".\" or \"..\")
C:\\Firma\\Opfer (refused: outside the target folder)
HKEY_CURRENT_USER\\Software (refused: key shared with other software)
HKEY_CURRENT_USER\\ (refused: root key or key directly below it)
HKEY_CURRENT_USER\\\\ (refused: root key or key directly below it)
HKEY_CURRENT_USER\\HKEY_CURRENT_USER (refused: root key or key directly below it)
HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall (refused: key shared with other software)
Pelmora Entfernen\\..\\.. (refused: not a Start menu group)
${altered}verweis\\wichtig.txt (refused: reached through a junction or link)
HKEY_CURRENT_USER\\$e2e_uninstall_key\\PelmoraE2EAndere (refused: another product's Uninstall entry)
C:\\Firma\\Boese (folder not empty: holds files that are not the product's)" "$summary"
exit_code
expect "altered: exit code 2" 2 "$exit_status"
expect "altered: of the product's folder only the link is left, nothing outside touched" \
  "verweis|auch.txt wichtig.txt|Wert=bleibt|present present" \
  "$(listing "$drive_c/Firma/Boese")|$(listing "$drive_c/Firma/Opfer")|$(reg_values 'HKCU\Software\PelmoraOpfer')|$(reg_exists "$uninstall_root") $(reg_exists "$other_key")"
clean_up altered

e2e_finish
