#!/bin/bash
# usage: uninstall.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE
#                     COM_REGISTERS_DLL HOLD_FILE_EXE OUTDIR
# The uninstaller on products the setup installed and on protocols made by
# hand, each with an Uninstall entry that vouches for it with the
# protocol's digest as a setup leaves one: a whole removal that keeps the
# user's file and key and the shared uninstaller; an installation, its
# update and its repair (three blocks), whose protocol, altered in four
# ways, is refused as a whole and, untouched, removes everything, the parent
# the setup made too; a file in use; protocols no entry vouches for,
# damaged ones and one that names things outside the product, reaches them
# through a link or names a COM server that is not the one registered; the
# answer No; a folder above the target swapped for a link while the
# uninstaller asks, and one swapped after the installation for a link to
# another user's look-alike, which the uninstaller refuses to touch; a
# user's entry with a digest of its own making, which the uninstaller
# (under Wine with administrator rights) does not trust; an update that
# fails before its entry, which leaves both runs removable; an earlier
# release's protocol that a setup keeps aside.
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
# Another product's entries, which start the shared uninstaller with its own
# protocol.
other_key="$uninstall_root\\PelmoraE2EAndere"
other_machine_key="HKLM\\$e2e_uninstall_key\\PelmoraE2EAndere"
other_command='C:\windows\stUnInst.exe "C:\Firma\Andere\UnInstall.log"'
session_manager='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'

# Besides what every setup leaves: removals scheduled for the restart (none
# is made) and a protocol placed in the Windows folder.
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
# The Uninstall entry NAME below ROOT (HKCU or HKLM) that a setup with
# administrator rights leaves for the protocol PATH: it starts the
# uninstaller with PATH, and the entry and its seal hold FILE's digest (with
# "-" none, as from a setup before the seal); VALUEs are further "NAME=DATA"
# of both.
vouch() {  # ROOT NAME PATH FILE|- [VALUE...]
  local key="$1\\$e2e_uninstall_key\\$2" path=$3 file=$4 value where; shift 4
  e2e_wine reg add "$key" /v UninstallString /d "C:\\windows\\stUnInst.exe \"$path\"" /f >/dev/null 2>&1
  for where in "$key" "$(seal_of "$key")"; do
    [ "$file" != - ] && e2e_wine reg add "$where" /v ProtocolDigest /d "$(sha256_of "$file")" /f >/dev/null 2>&1
    for value in "$@"; do e2e_wine reg add "$where" /v "${value%%=*}" /d "${value#*=}" /f >/dev/null 2>&1; done
  done
}
# The uninstaller's message box (caption CAPTION) when it refuses a protocol
# as a whole, in $message; then its exit code.
refusal() {  # NAME CAPTION
  ui --timeout 30 wait "$2" >/dev/null
  screenshot "$1-message"
  message=$(ui dismiss "$2" | tr -d '\r')
  exit_code
}
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
# The uninstaller in the Windows folder is every product's: an uninstallation
# neither deletes it nor leaves it to the restart, even when no other entry
# names it.
expect "whole: nothing scheduled for the restart, the shared uninstaller stays" "|present" \
  "$(pending_removals)|$([ -e "$drive_c/windows/stUnInst.exe" ] && echo present)"
# C:\Firma, which the setup made, goes only when empty.
expect "whole: left in the prefix: the user's folder and key, the shared uninstaller, the test server's key" \
  "$drive_c/Firma
$drive_c/windows/stUnInst.exe
HKEY_CURRENT_USER\\Software\\PelmoraE2EU
HKEY_CURRENT_USER\\Software\\PelmoraTest" "$(e2e_leftovers)"
clean_up whole

# --- 2. Install, update, repair: three blocks, sealed. Altered, the protocol
# is refused as a whole; untouched, it removes everything --------------------
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
target='C:\Firma\Dreimal\'
installed="$drive_c/Firma/Dreimal"
# The setup over the installation, with the first choice of the page about
# it (the update, then the repair), to the finished page.
over_installation() {  # NAME MEDIUM
  start_program "$1" "$2/Install.exe"
  setup=$last_pid
  ui --timeout 30 click Welcome "&Next >" >/dev/null
  ui_wait_line Installation "id=502 " 10
  ui press Installation 502 >/dev/null
  ui click Installation "&Weiter >" >/dev/null
  ui_wait_line Installation "text=$target" 10
  ui click Installation "&Next >" >/dev/null
  finish "$1"
}
start_installation first "$out/medium-product" 'C:\Firma\Dreimal'
finish first
over_installation update "$out/medium-update"
over_installation repair "$out/medium-update"
cp "$installed/UnInstall.Log" "$out/three-block-protocol.log"
expect "three blocks: the protocol holds the three runs, sealed; the update added its files" \
  "3|sealed|present present" \
  "$(grep -c '^/ UnInstall protocol file' "$installed/UnInstall.Log")|$(sealed "$uninstall_root\\$key_name" "$installed/UnInstall.Log")|$([ -e "$installed/neu.txt" ] && echo present) $(reg_exists 'HKCU\Software\PelmoraE2EU\Neu')"
e2e_wine reg add "$other_machine_key" /v UninstallString /d "$other_command" /f >/dev/null 2>&1
# The user's own file in the target, which one alteration names.
printf 'meine Notizen\r\n' >"$installed/eigene Notiz.txt"
# What a removal would change, in one line.
product_state() {
  echo "$(listing "$installed")|$(reg_values "$uninstall_root\\$key_name" | paste -sd' ')|$(reg_exists 'HKCU\Software\PelmoraE2EU\Einstellungen') $(reg_exists 'HKCU\Software\PelmoraE2EU\Daten') $(reg_exists 'HKCU\Software\PelmoraE2EU\Neu') $(reg_exists "$other_machine_key")|$(reg_values 'HKCU\Software\PelmoraTest\ComServer')|$(listing "$programs/Pelmora Entfernen")"
}
state=$(product_state)
changed="The protocol \"${target}UnInstall.log\" has been changed since the setup wrote it: its check value is not the one in Windows' list of installed programs. Nothing was removed."
# The sealed protocol through an awk PROGRAM (lines as they are, with their
# CR) into the target, then the uninstaller as the entry says: its message,
# exit code 1, nothing changed.
altered() {  # NAME PROGRAM
  awk "$2" "$out/three-block-protocol.log" >"$installed/UnInstall.Log"
  cmp -s "$out/three-block-protocol.log" "$installed/UnInstall.Log" &&
    e2e_fail "$1" "the protocol was not altered"
  start_from_entry "$1" "$uninstall_root\\$key_name"
  refusal "$1" Uninstall
  expect "$1: refused as a whole, exit code 1, nothing removed" "$changed|1|$state" \
    "$message|$exit_status|$(product_state)"
}
# A line for the user's file, after the first block's own protocol line.
ADD="1${target}eigene Notiz.txt" altered added-file \
  '{ print } !done && /^1.*UnInstall\.log\r$/ { print ENVIRON["ADD"] "\r"; done = 1 }'
# Another product's machine entry beside the product's own.
ADD="r0${e2e_uninstall_key}\\PelmoraE2EAndere" altered added-key \
  '{ print } !done && /^r1SOFTWARE/ { print ENVIRON["ADD"] "\r"; done = 1 }'
altered removed-line '!done && /^1.*\\liesmich\.txt\r$/ { done = 1; next } { print }'
# The first two blocks, each up to its duration line, swapped.
altered reordered-blocks \
  '{ block[n] = block[n] $0 "\n" } /^\/installation duration: / { n++ }
   END { printf "%s%s", block[1], block[0]; for (i = 2; i <= n; i++) printf "%s", block[i] }'

cp "$out/three-block-protocol.log" "$installed/UnInstall.Log"
rm "$installed/eigene Notiz.txt"
start_from_entry three-blocks "$uninstall_root\\$key_name"
confirm_and_summarise three-blocks "Pelmora E2E 2.0.0.0"
expect "three blocks: everything of the three runs removed" \
  "\"Pelmora E2E 2.0.0.0\" has been removed.

Removed: 8 files, 6 folders, 4 registry keys, 3 shortcuts, 1 COM server unregistered." "$summary"
exit_code
expect "three blocks: exit code 0" 0 "$exit_status"
expect "three blocks: no target folder, no parent, key, server registration or group left" \
  "absent absent|absent absent absent absent||absent" \
  "$([ -e "$installed" ] && echo present || echo absent) $([ -e "$drive_c/Firma" ] && echo present || echo absent)|$(reg_exists "$uninstall_root\\$key_name") $(reg_exists 'HKCU\Software\PelmoraE2EU\Einstellungen') $(reg_exists 'HKCU\Software\PelmoraE2EU\Neu') $(reg_exists 'HKCU\Software\PelmoraE2EU\Daten')|$(reg_values 'HKCU\Software\PelmoraTest\ComServer')|$([ -e "$programs/Pelmora Entfernen" ] && echo present || echo absent)"
# HKCU\Software\PelmoraE2EU, which the setup made to hold the product's
# keys, goes too once it is empty.
expect "three blocks: left in the prefix: the shared uninstaller, the other product's entry, the test server's key; nothing scheduled" \
  "$drive_c/windows/stUnInst.exe
HKEY_CURRENT_USER\\Software\\PelmoraTest
HKEY_LOCAL_MACHINE\\$e2e_uninstall_key\\PelmoraE2EAndere|" \
  "$(e2e_leftovers)|$(pending_removals)"
clean_up three-blocks

# --- 3. A file in use, in German ---------------------------------------
# The product's entry lies below HKEY_LOCAL_MACHINE; the only machine key
# its protocol may remove is that entry.
export PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)"
ae=$(printf '\xe4') ue=$(printf '\xfc') sz=$(printf '\xdf') oe=$(printf '\xf6') dash=$(printf '\x97')
locked='C:\Firma\Gesperrt\'
mkdir -p "$drive_c/Firma/Gesperrt/bin"
printf 'a\r\n' >"$drive_c/Firma/Gesperrt/bin/programm.dll"
printf 'b\r\n' >"$drive_c/Firma/Gesperrt/liesmich.txt"
# A machine key beside the entry, with a parent made for it.
e2e_wine reg add 'HKLM\Software\PelmoraE2EU\Maschine\Tiefer' /v Wert /d x /f >/dev/null 2>&1
write_protocol "$drive_c/Firma/Gesperrt/UnInstall.Log" "$locked" "0${locked}bin" \
  "1${locked}bin\\programm.dll" "1${locked}liesmich.txt" 'r0Software\PelmoraE2EU\Maschine' \
  "r0SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PelmoraE2EGesperrt" g
vouch HKLM PelmoraE2EGesperrt "${locked}UnInstall.Log" "$drive_c/Firma/Gesperrt/UnInstall.Log"
start_program holder "$hold_file" "${locked}bin\\programm.dll" 60
for _ in $(seq 50); do grep -q holding "$out/holder.out" 2>/dev/null && break; sleep 0.2; done
expect "locked: the file is held open" holding "$(tr -d '\r' <"$out/holder.out")"
start_uninstaller locked "${locked}UnInstall.Log"
confirm_and_summarise locked "$locked"
expect "locked: the confirmation in German, naming the target folder" \
  "Wollen Sie \"$locked\" mit allen Komponenten entfernen?" "$confirmation"
not_empty="Ordner nicht leer: enth${ae}lt Dateien, die nicht zum Produkt geh${oe}ren"
expect "locked: the other machine key refused, the file in use and the folders it keeps listed" \
  "\"$locked\" wurde teilweise entfernt.

Entfernt: 2 Dateien, 0 Ordner, 1 Registrierungsschl${ue}ssel, 0 Verkn${ue}pfungen, 0 COM-Server abgemeldet.

Nicht entfernt:
HKEY_LOCAL_MACHINE\\Software\\PelmoraE2EU\\Maschine (abgelehnt: nicht der eigene Eintrag des Produkts in der Programmliste)
${locked}bin\\programm.dll (in Gebrauch $dash nach dem Schlie${sz}en des Programms l${oe}schen, Fehler 32)
${locked}bin ($not_empty)
C:\\Firma\\Gesperrt ($not_empty)" "$summary"
exit_code
expect "locked: exit code 2" 2 "$exit_status"
expect "locked: nothing scheduled for the restart; the file in use and its folder stay, the rest gone" \
  "|bin bin/programm.dll" "$(pending_removals)|$(listing "$drive_c/Firma/Gesperrt")"
expect "locked: the entry gone, the other machine key kept" "absent present" \
  "$(reg_exists "HKLM\\$e2e_uninstall_key\\PelmoraE2EGesperrt") $(reg_exists 'HKLM\Software\PelmoraE2EU\Maschine\Tiefer')"
clean_up locked

# --- 4. Protocols no entry vouches for, damaged ones: a message, nothing
# changed ---------------------------------------------------------------
mkdir -p "$drive_c/Firma/Kaputt"
head -c 3000 /dev/urandom >"$drive_c/Firma/Kaputt/UnInstall.Log"
printf 'x\r\n' >"$drive_c/Firma/Kaputt/daten.txt"
damaged() {  # NAME EXPECTED_MESSAGE [ARGUMENT]
  local name=$1 wanted=$2; shift 2
  start_uninstaller "$name" "$@"
  refusal "$name" Deinstallation
  expect "$name: the message, exit code 1" "$wanted|1" "$message|$exit_status"
}
# Without an entry, and with one that holds no digest (as a setup before the
# seal left it): untrusted, whatever the file holds.
untrusted() { echo "Dem Protokoll \"$1\" kann nicht vertraut werden: Kein Eintrag in der Windows-Liste der installierten Programme b${ue}rgt daf${ue}r (das Setup hinterlegt dort einen Pr${ue}fwert des Protokolls). Es wurde nichts entfernt."; }
damaged no-entry "$(untrusted 'C:\Firma\Kaputt\UnInstall.Log')" 'C:\Firma\Kaputt\UnInstall.Log'
vouch HKCU PelmoraE2EKaputt 'C:\Firma\Kaputt\UnInstall.Log' -
damaged no-digest "$(untrusted 'C:\Firma\Kaputt\UnInstall.Log')" 'C:\Firma\Kaputt\UnInstall.Log'
# Vouched for, the file still has to be a protocol, and one of a folder of
# the product's own.
vouch HKCU PelmoraE2EKaputt 'C:\Firma\Kaputt\UnInstall.Log' "$drive_c/Firma/Kaputt/UnInstall.Log"
damaged damaged "Die Datei \"C:\\Firma\\Kaputt\\UnInstall.Log\" ist kein Deinstallationsprotokoll. Es wurde nichts entfernt." \
  'C:\Firma\Kaputt\UnInstall.Log'
damaged no-argument "Starten Sie die Deinstallation mit dem Pfad der Protokolldatei des Produkts (UnInstall.log) als Argument (neben /S oder /LOG=, wenn angegeben). Es wurde nichts entfernt."
write_protocol "$drive_c/Firma/Wurzel/UnInstall.Log" 'C:\' '1C:\Firma\Kaputt\daten.txt'
vouch HKCU PelmoraE2EWurzel 'C:\Firma\Wurzel\UnInstall.Log' "$drive_c/Firma/Wurzel/UnInstall.Log"
damaged drive-root "Das Protokoll \"C:\\Firma\\Wurzel\\UnInstall.Log\" nennt ein ganzes Laufwerk als Zielordner. Es wurde nichts entfernt." \
  'C:\Firma\Wurzel\UnInstall.Log'
write_protocol "$drive_c/windows/UnInstall.Log" 'C:\windows\' '1C:\windows\win.ini'
vouch HKCU PelmoraE2EWindows 'C:\windows\UnInstall.Log' "$drive_c/windows/UnInstall.Log"
damaged windows-folder "Das Protokoll \"C:\\windows\\UnInstall.Log\" nennt einen Ordner von Windows oder aller Benutzer (etwa den Windows-, Programm- oder Profilordner), einen Ordner dar${ue}ber oder einen im Windows-Ordner als Zielordner. Es wurde nichts entfernt." \
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
vouch HKCU PelmoraE2EBehalten "${kept}UnInstall.Log" "$drive_c/Firma/Behalten/UnInstall.Log"
start_uninstaller answer-no "${kept}UnInstall.Log"
ui --timeout 30 wait "$kept" >/dev/null
ui click "$kept" "&No" >/dev/null
exit_code
expect "answer-no: exit code 1, nothing removed" "1|UnInstall.Log daten.txt|present" \
  "$exit_status|$(listing "$drive_c/Firma/Behalten")|$(reg_exists "$uninstall_root\\PelmoraE2EBehalten")"
clean_up answer-no

# --- 5. A protocol that names what is not the product's: refused and listed
outside='C:\Firma\Boese\'
mkdir -p "$drive_c/Firma/Boese/com" "$drive_c/Firma/Opfer"
printf 'gut\r\n' >"$drive_c/Firma/Boese/gut.txt"
# A folder with a "." recorded as a file, a file without one as a folder.
mkdir -p "$drive_c/Firma/Boese/v1.2"
printf 'a\r\n' >"$drive_c/Firma/Boese/v1.2/a.txt"
printf 'Lies mich.\r\n' >"$drive_c/Firma/Boese/LIESMICH"
# A link inside the product's folder that leads out of it.
ln -s "$drive_c/Firma/Opfer" "$drive_c/Firma/Boese/verweis"
# A folder of the product that its owner swaps for such a link after the
# uninstaller has read and checked the protocol, while it asks: the way is
# checked again right before each deletion, so nothing is deleted through
# it. (Windows removes the link itself as the folder; under the emulator,
# which follows it there, it stays and is listed.)
mkdir -p "$drive_c/Firma/Boese/tausch"
printf 'b\r\n' >"$drive_c/Firma/Boese/tausch/b.txt"
swap_for_link() {
  mv "$drive_c/Firma/Boese/tausch" "$drive_c/Firma/Boese/tausch.alt"
  ln -s "$drive_c/Firma/Opfer" "$drive_c/Firma/Boese/tausch"
}
printf 'wichtig\r\n' >"$drive_c/Firma/Opfer/wichtig.txt"
printf 'auch\r\n' >"$drive_c/Firma/Opfer/auch.txt"
printf 'opfer\r\n' >"$drive_c/Firma/Opfer/b.txt"
e2e_wine reg add 'HKCU\Software\PelmoraOpfer' /v Wert /d bleibt /f >/dev/null 2>&1
e2e_wine reg add "$other_key" /v UninstallString /d "$other_command" /f >/dev/null 2>&1
# A COM server exchanged since the setup registered another file there: the
# entry's digest is that file's. Its registration stays as it is.
cp "$com_registers" "$drive_c/Firma/Boese/com/registers.dll"
e2e_wine reg add 'HKCU\Software\PelmoraTest\ComServer' /v Registered /d "${outside}com\\registers.dll" /f >/dev/null 2>&1
write_protocol "$drive_c/Firma/Boese/UnInstall.Log" "$outside" "1${outside}gut.txt" \
  "1${outside}v1.2" "1${outside}v1.2\\a.txt" "0${outside}LIESMICH" "1${outside}verweis\\wichtig.txt" \
  "1${outside}tausch\\b.txt" "0${outside}tausch" \
  '1C:\Firma\Opfer\wichtig.txt' "1${outside}..\\Opfer\\auch.txt" '0C:\Firma\Opfer' \
  'r1Software' 'r1' 'r1\' 'r1HKEY_CURRENT_USER' 'r1Software\PelmoraOpfer' \
  'r0SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' \
  'gPelmora Entfernen\..\..' "r1$e2e_uninstall_key\\PelmoraE2EAndere" \
  "o${outside}com\\registers.dll" "r1$e2e_uninstall_key\\PelmoraE2EBoese"
vouch HKCU PelmoraE2EBoese "${outside}UnInstall.Log" "$drive_c/Firma/Boese/UnInstall.Log" \
  "ServerDigests=$(sha256_of "$drive_c/Firma/Boese/gut.txt")*${outside}com\\registers.dll"
start_uninstaller outside "${outside}UnInstall.Log"
confirm_and_summarise outside "$outside" swap_for_link
expect "outside: every line outside the product refused, the exchanged server left, each listed" \
  "\"$outside\" has been removed in part.

Removed: 4 files, 1 folder, 1 registry key, 0 shortcuts, 0 COM servers unregistered.

Left in place:
C:\\Firma\\Opfer\\wichtig.txt (refused: outside the target folder)
${outside}..\\Opfer\\auch.txt (refused: path with \".\" or \"..\")
C:\\Firma\\Opfer (refused: outside the target folder)
HKEY_CURRENT_USER\\Software (refused: key shared with other software)
HKEY_CURRENT_USER\\ (refused: the root key itself)
HKEY_CURRENT_USER\\\\ (refused: the root key itself)
HKEY_CURRENT_USER\\HKEY_CURRENT_USER (refused: the root key itself)
HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall (refused: not the product's own entry in the list of programs)
Pelmora Entfernen\\..\\.. (refused: not a Start menu group)
HKEY_CURRENT_USER\\$e2e_uninstall_key\\PelmoraE2EAndere (refused: key shared with other software)
${outside}com\\registers.dll (not the file the setup registered: not loaded, not unregistered)
${outside}verweis\\wichtig.txt (refused: reached through a junction or link)
${outside}tausch\\b.txt (refused: reached through a junction or link)
HKEY_CURRENT_USER\\Software\\PelmoraOpfer (key not empty: holds keys or values that are not the product's)
${outside}tausch (refused: reached through a junction or link)
C:\\Firma\\Boese (folder not empty: holds files that are not the product's)" "$summary"
exit_code
expect "outside: exit code 2" 2 "$exit_status"
expect "outside: of the product's folder the server, the links and the swapped-out folder are left, the entry gone, nothing outside touched" \
  "com com/registers.dll tausch tausch.alt tausch.alt/b.txt verweis|absent|auch.txt b.txt wichtig.txt|Wert=bleibt|present|Registered=${outside}com\\registers.dll" \
  "$(listing "$drive_c/Firma/Boese")|$(reg_exists "$uninstall_root\\PelmoraE2EBoese")|$(listing "$drive_c/Firma/Opfer")|$(reg_values 'HKCU\Software\PelmoraOpfer')|$(reg_exists "$other_key")|$(reg_values 'HKCU\Software\PelmoraTest\ComServer')"
clean_up outside

# --- 6. A folder above the target swapped for a link while the uninstaller asks
# Its owner renames C:\Firma\Oben and puts a link to another folder in its
# place, which holds files of the product's names: every deletion walks
# from the drive root and meets the link, so nothing is deleted there, and
# nothing of the renamed product either.
above='C:\Firma\Oben\Produkt\'
mkdir -p "$drive_c/Firma/Oben/Produkt/bin" "$drive_c/Firma/Fremd/Produkt/bin"
for dir in Oben Fremd; do
  printf 'p\r\n' >"$drive_c/Firma/$dir/Produkt/bin/programm.exe"
  printf 'l\r\n' >"$drive_c/Firma/$dir/Produkt/liesmich.txt"
done
write_protocol "$drive_c/Firma/Oben/Produkt/UnInstall.Log" "$above" "0${above}bin" \
  "1${above}bin\\programm.exe" "1${above}liesmich.txt"
cp "$drive_c/Firma/Oben/Produkt/UnInstall.Log" "$drive_c/Firma/Fremd/Produkt/"
vouch HKCU PelmoraE2EOben "${above}UnInstall.Log" "$drive_c/Firma/Oben/Produkt/UnInstall.Log"
swap_above_for_link() {
  mv "$drive_c/Firma/Oben" "$drive_c/Firma/Oben.alt"
  ln -s "$drive_c/Firma/Fremd" "$drive_c/Firma/Oben"
}
start_uninstaller above "${above}UnInstall.Log"
confirm_and_summarise above "$above" swap_above_for_link
exit_code
expect "above: nothing deleted behind the link above the target nor in the renamed folder, something left" \
  "UnInstall.Log bin bin/programm.exe liesmich.txt|UnInstall.Log bin bin/programm.exe liesmich.txt|left" \
  "$(listing "$drive_c/Firma/Fremd/Produkt")|$(listing "$drive_c/Firma/Oben.alt/Produkt")|$([ "$exit_status" -ne 0 ] && echo left)"
rm -f "$drive_c/Firma/Oben"
clean_up above

# --- 7. A folder above the target swapped for a link after the installation
# The elevated setup gave the folders it made an access list of their own.
# Wine 8 keeps none as a "user.wine.sd" attribute (tried on ext4): it turns
# the list into the host's mode, where Users' read and run, which it maps
# to no host class, is lost and others get nothing; a folder made without
# the list gets r-x for others from the usual umask.
target='C:\Firma\Verlinkt\'
start_installation linked "$out/medium-product" 'C:\Firma\Verlinkt'
finish linked
expect "linked: the folders the setup made give others nothing" "drwxr-x--- drwxr-x---" \
  "$(stat -c %A "$drive_c/Firma" "$drive_c/Firma/Verlinkt" | paste -sd' ')"
# Another user renames C:\Firma and puts a link in its place to a folder
# of his, holding files of the product's names and a copy of the protocol,
# whose seal therefore holds.
mv "$drive_c/Firma" "$drive_c/Firma.echt"
mkdir -p "$drive_c/Fremd/Verlinkt/daten" "$drive_c/Fremd/Verlinkt/com"
for file in main.exe liesmich.txt config.ini daten/werte.txt com/registers.dll; do
  printf 'fremd\r\n' >"$drive_c/Fremd/Verlinkt/$file"
done
cp "$drive_c/Firma.echt/Verlinkt/UnInstall.Log" "$drive_c/Fremd/Verlinkt/"
ln -s "$drive_c/Fremd" "$drive_c/Firma"
before="$(listing "$drive_c/Fremd")|$(listing "$drive_c/Firma.echt")"
start_from_entry linked "$uninstall_root\\$key_name"
refusal linked Uninstall
expect "linked: the uninstaller names the link, removes nothing and ends with 1" \
  "The folder \"C:\\Firma\" on the way to the product is a junction or symbolic link, or its attributes or permissions cannot be read: what lies behind it may not be the product's. Nothing was removed.|1" \
  "$message|$exit_status"
expect "linked: the other user's files and the real installation untouched, entry, keys and server registration kept" \
  "$before|present present|Registered=${target}com\\registers.dll" \
  "$(listing "$drive_c/Fremd")|$(listing "$drive_c/Firma.echt")|$(reg_exists "$uninstall_root\\$key_name") $(reg_exists 'HKCU\Software\PelmoraE2EU\Einstellungen')|$(reg_values 'HKCU\Software\PelmoraTest\ComServer')"
rm "$drive_c/Firma"
clean_up linked

# --- 8. A user's entry with a seal of its own making ------------------------
# Every program of the user's, elevated or not, can write HKEY_CURRENT_USER.
# One writes an entry there beside a machine entry of the same name for the
# same protocol (an earlier release left that one without a digest), alters
# the protocol to name a COM server and the machine entry's key, and puts
# the altered file's digest and one for the server into its own entry. The
# uninstaller, elevated, trusts only a seal below HKEY_LOCAL_MACHINE: a
# message, exit code 1, nothing removed, the server not called.
forged='C:\Firma\Falsch\'
mkdir -p "$drive_c/Firma/Falsch/com"
printf 'x\r\n' >"$drive_c/Firma/Falsch/daten.txt"
cp "$com_registers" "$drive_c/Firma/Falsch/com/registers.dll"
e2e_wine reg add 'HKCU\Software\PelmoraTest\ComServer' /v Registered /d "${forged}com\\registers.dll" /f >/dev/null 2>&1
write_protocol "$drive_c/Firma/Falsch/UnInstall.Log" "$forged" "1${forged}daten.txt" \
  "o${forged}com\\registers.dll" "r0$e2e_uninstall_key\\PelmoraE2EFalsch"
vouch HKLM PelmoraE2EFalsch "${forged}UnInstall.Log" -
forged_entry="$uninstall_root\\PelmoraE2EFalsch"
e2e_wine reg add "$forged_entry" /v UninstallString /d "C:\\windows\\stUnInst.exe \"${forged}UnInstall.Log\"" /f >/dev/null 2>&1
e2e_wine reg add "$forged_entry" /v ProtocolDigest /d "$(sha256_of "$drive_c/Firma/Falsch/UnInstall.Log")" /f >/dev/null 2>&1
e2e_wine reg add "$forged_entry" /v ServerDigests /d "$(sha256_of "$drive_c/Firma/Falsch/com/registers.dll")*${forged}com\\registers.dll" /f >/dev/null 2>&1
start_uninstaller forged "${forged}UnInstall.Log"
refusal forged Uninstall
expect "forged: not trusted, exit code 1, nothing removed, the server still registered, no seal made" \
  "The protocol \"${forged}UnInstall.Log\" cannot be trusted with administrator rights: only an entry that every program of the user can change vouches for it, no seal that a setup with administrator rights kept. Nothing was removed.|1|UnInstall.Log com com/registers.dll daten.txt|present present|Registered=${forged}com\\registers.dll|absent absent" \
  "$message|$exit_status|$(listing "$drive_c/Firma/Falsch")|$(reg_exists "HKLM\\$e2e_uninstall_key\\PelmoraE2EFalsch") $(reg_exists "$forged_entry")|$(reg_values 'HKCU\Software\PelmoraTest\ComServer')|$(reg_exists "$(seal_of "$forged_entry")") $(reg_exists "$(seal_of "HKLM\\$e2e_uninstall_key\\PelmoraE2EFalsch")")"
clean_up forged

# --- 9. An update that fails before its entry ------------------------------
# A running removal holds the shared uninstaller open, so the update, which
# unpacks all its files, cannot move its uninstaller into the Windows folder:
# the run ends without writing its entry. Its block, the only one naming its
# new files, goes behind the first run's under the first run's entry and
# seal, so the uninstaller still removes both runs' files, keys and
# shortcuts, and the seal with the entry.
target='C:\Firma\Gehalten\'
installed="$drive_c/Firma/Gehalten"
start_installation held-first "$out/medium-product" 'C:\Firma\Gehalten'
finish held-first
cp "$installed/UnInstall.Log" "$out/held-first.log"
start_program update-holder "$hold_file" 'C:\windows\stUnInst.exe' 120
holder=$last_pid
for _ in $(seq 50); do grep -q holding "$out/update-holder.out" 2>/dev/null && break; sleep 0.2; done
expect "held-update: the shared uninstaller is held open" holding "$(tr -d '\r' <"$out/update-holder.out")"
start_program held-update "$out/medium-update/Install.exe"
setup=$last_pid
ui --timeout 30 click Welcome "&Next >" >/dev/null
ui_wait_line Installation "id=502 " 10
ui press Installation 502 >/dev/null
ui click Installation "&Weiter >" >/dev/null
ui_wait_line Installation "text=$target" 10
ui click Installation "&Next >" >/dev/null
# The failed move ends the run: its error report, then Cancel.
ui --timeout 60 wait Pelmora >/dev/null || e2e_fail held-update "no report; windows: $(ui list | tr '\n' ';')"
screenshot held-update-message
expect "held-update: the run ends with an error report" "E/A-Fehler" \
  "$(ui dismiss Pelmora | tr -d '\r' | grep -o '^E/A-Fehler')"
ui_wait_line Installation "id=808 visible=1" 10
screenshot held-update-failed
ui click Installation Cancel >/dev/null
expect_end held-update "Cancel ends the failed program, removable" 8
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
expect "held-update: the update's files unpacked, its block behind the first, sealed by the first run's entry" \
  "present|same|sealed" \
  "$([ -e "$installed/neu.txt" ] && echo present)|$(head -c "$(stat -c %s "$out/held-first.log")" "$installed/UnInstall.Log" | cmp -s - "$out/held-first.log" && echo same)|$(sealed "$uninstall_root\\$key_name" "$installed/UnInstall.Log")"
start_from_entry held-removal "$uninstall_root\\$key_name"
confirm_and_summarise held-removal "Pelmora E2E 1.0.0.0"
exit_code
expect "held-removal: everything of both runs removed, the seal with the entry" \
  "0|absent absent|absent absent absent absent|absent" \
  "$exit_status|$([ -e "$installed" ] && echo present || echo absent) $([ -e "$programs/Pelmora Entfernen" ] && echo present || echo absent)|$(reg_exists "$uninstall_root\\$key_name") $(reg_exists 'HKCU\Software\PelmoraE2EU\Einstellungen') $(reg_exists 'HKCU\Software\PelmoraE2EU\Neu') $(reg_exists "$(seal_of "$uninstall_root\\$key_name")")|$(reg_exists 'HKLM\Software\Pelmora')"
clean_up held

# --- 10. Over an earlier release's protocol ----------------------------------
# A protocol that nothing vouches for (an earlier release wrote it without a
# digest) lies in the target: the setup, which writes an entry, keeps it
# beside under another name, says so, and seals a new protocol of its own
# run only. The uninstaller removes what that one lists; the kept file and
# the file only it names stay.
target='C:\Firma\Frueher\'
installed="$drive_c/Firma/Frueher"
write_protocol "$installed/UnInstall.Log" "$target" "1${target}alt.txt"
printf 'alt\r\n' >"$installed/alt.txt"
cp "$installed/UnInstall.Log" "$out/earlier-release.log"
start_installation earlier "$out/medium-product" 'C:\Firma\Frueher'
ui --timeout 60 wait Pelmora >/dev/null || e2e_fail earlier "no message; windows: $(ui list | tr '\n' ';')"
screenshot earlier-message
expect "earlier: the run says where it kept the earlier protocol" \
  "The uninstall protocol found in the target folder carries no seal of this setup (an earlier release wrote it, or it was changed). It is kept as \"${target}UnInstall.Log.unsealed\"; the uninstaller does not remove what only that file lists." \
  "$(ui dismiss Pelmora | tr -d '\r')"
finish earlier
expect "earlier: kept byte for byte beside a new protocol of this run alone, sealed" "same|1|sealed" \
  "$(cmp -s "$out/earlier-release.log" "$installed/UnInstall.Log.unsealed" && echo same)|$(grep -c '^/ UnInstall protocol file' "$installed/UnInstall.Log")|$(sealed "$uninstall_root\\$key_name" "$installed/UnInstall.Log")"
start_from_entry earlier-removal "$uninstall_root\\$key_name"
confirm_and_summarise earlier-removal "Pelmora E2E 1.0.0.0"
exit_code
expect "earlier-removal: this run's files gone, the kept protocol and what only it names left" \
  "2|UnInstall.Log.unsealed alt.txt" "$exit_status|$(listing "$installed")"
clean_up earlier

e2e_finish
