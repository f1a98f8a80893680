#!/bin/bash
# usage: installation_run.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE
#                            COM_REGISTERS_DLL COM_FAILS_DLL HOLD_FILE_EXE OUTDIR
# Setups that really install, from media the medium builder makes: a new
# installation checked on disk, in the registry, in the Start menu and in
# its protocol (its date, time and duration too); a renamed setup started
# elsewhere; the password prompt; a missing second volume supplied after
# the disk prompt or given up; Cancel during the extraction, after which the
# uninstaller removes what was done; an entry with a hostile name; a
# protocol that cannot be written; the archive's error messages (a file held
# open, an unknown compression method, damaged data); a setup over files
# that are all newer than its entries. Each scenario
# starts in a cleaned prefix and checks what it left there. Screenshots in
# OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 com_registers=$6 com_fails=$7 hold_file=$8 out=$9
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
programs=$(e2e_programs)
key_name=PelmoraE2ERun
uninstall_key="HKCU\\$e2e_uninstall_key\\$key_name"
stamp=202001021234.56  # the payload's file times, local time, even seconds for DOS times
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT

# --- helpers --------------------------------------------------------------
# Made by hand, what no builder writes: sets the compression method of the
# archive entry NAME (a FILE32 header, whose name starts at its byte 35) to
# METHOD and makes the header's CRC fit again: the low 16 bits of the
# format's CRC-32 (gzip's, complemented) over the header from its type byte.
set_entry_method() {  # ARCHIVE NAME METHOD
  local archive=$1 name=$2 method=$3 at header size crc
  at=$(grep -obUaF -- "$name" "$archive" | head -1 | cut -d: -f1)
  header=$((at - 35))
  size=$(od -An -tu2 -j$((header + 2)) -N2 "$archive" | tr -d ' ')
  printf "\\x$(printf %02x "$method")" | dd of="$archive" bs=1 seek=$((header + 27)) conv=notrunc 2>/dev/null
  crc=$(tail -c +$((header + 5)) "$archive" | head -c "$size" | gzip -c | tail -c 8 | od -An -tu4 -N4 | tr -d ' ')
  crc=$((~crc & 0xffff))
  printf "\\x$(printf %02x $((crc & 0xff)))\\x$(printf %02x $((crc >> 8)))" |
    dd of="$archive" bs=1 seek="$header" conv=notrunc 2>/dev/null
}

# --- the payload ----------------------------------------------------------
payload="$out/payload"
mkdir -p "$payload/daten" "$payload/com"
cp "$wintool" "$payload/main.exe"
cp "$wintool" "$payload/stUnInst.exe"
printf 'Lies mich.\r\n' >"$payload/liesmich.txt"
printf 'eins\r\nzwei\r\n' >"$payload/daten/werte.txt"
printf '[Einstellungen]\r\nFarbe=blau\r\n' >"$payload/config.ini"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\PelmoraE2E\\Import]\r\n"Wert"="aus registry.reg"\r\n\r\n' \
  >"$payload/registry.reg"
cp "$com_registers" "$payload/com/registers.dll"
cp "$com_fails" "$payload/com/fails.dll"
# The builder refuses a server missing from the payload; one that cannot
# be loaded takes the same way in the setup.
printf 'keine DLL\r\n' >"$payload/com/broken.dll"
find "$payload" -exec touch -t "$stamp" {} +

write_manifest "$out/full.ini" 1.0.0.0 "$key_name" "program = main.exe" \
  "[registry]" 'key = Software\PelmoraE2E\Einstellungen' 'key = Software\PelmoraE2E\Daten' \
  "[com]" 'server = com\registers.dll' 'server = com\fails.dll' 'server = com\broken.dll' \
  "[shortcut]" "group = Pelmora E2E" "name = Hauptprogramm" "target = main.exe" "icon = main.exe" \
  "[shortcut]" "group = Pelmora E2E" "name = Liesmich" "target = liesmich.txt" \
  "[support]" "publisher = Pelmora Test" "about-url = http://pelmora.example/" \
  "update-url = http://pelmora.example/update" "help-link = http://pelmora.example/hilfe" \
  "help-telephone = +49 30 123456" "contact = support@pelmora.example" "readme = liesmich.txt" \
  "comments = Zum Testen" "[archive]" "method = lz77"
make_built_medium "$out/medium-full" "$out/full.ini" "$payload"

# --- 1. A new installation into a folder whose parent is missing ------------
e2e_clean_prefix new
target='C:\Firma\Produkt\'
installed="$drive_c/Firma/Produkt"
started=$(date +%s)
start_installation new "$out/medium-full" 'C:\Firma\Produkt'
failed_notices=""
for server in fails broken; do
  if ui --timeout 60 wait Pelmora >/dev/null; then
    [ "$server" = fails ] && screenshot new-com-notice
    failed_notices+="$(ui dismiss Pelmora)|"
  fi
done
expect "new: a notice for each server that does not register" \
  "Failed to register ${target}com\\fails.dll|Failed to register ${target}com\\broken.dll|" "$failed_notices"
finish new
ended=$(date +%s)

expect "new: the payload's files, unchanged, with their times" \
  "same $stamp $stamp" \
  "$(same_files "$payload" "$installed" main.exe liesmich.txt daten/werte.txt config.ini com/registers.dll) $(file_time "$installed/liesmich.txt") $(file_time "$installed/daten/werte.txt")"
expect "new: registry.reg imported and deleted" "Wert=aus registry.reg|gone" \
  "$(reg_values 'HKCU\Software\PelmoraE2E\Import')|$([ -e "$installed/registry.reg" ] && echo kept || echo gone)"
expect "new: the uninstaller moved to the Windows folder" "moved|same" \
  "$([ -e "$installed/stUnInst.exe" ] && echo kept || echo moved)|$(cmp -s "$payload/stUnInst.exe" "$drive_c/windows/stUnInst.exe" && echo same)"
# Besides the twelve values, what the list of installed programs shows of
# the product (its icon, date and size in KiB, no Modify or Repair button),
# and the seal: the digest of the whole protocol and of the one server that
# registered.
kib=$(find "$payload" -type f -printf '%s\n' | awk '{s += $1} END {printf "0x%x", int((s + 1023) / 1024)}')
expect "new: the Uninstall values, numbers and digests" "Comments=Zum Testen
Contact=support@pelmora.example
DisplayIcon=C:\\Firma\\Produkt\\main.exe
DisplayName=Pelmora E2E 1.0.0.0
DisplayVersion=1.0.0.0
EstimatedSize=$kib
HelpLink=http://pelmora.example/hilfe
HelpTelephone=+49 30 123456
InstallDate=$(date +%Y%m%d)
InstallPath=C:\\Firma\\Produkt\\
NoModify=0x1
NoRepair=0x1
ProtocolDigest=$(sha256_of "$installed/UnInstall.Log")
Publisher=Pelmora Test
QuietUninstallString=C:\\windows\\stUnInst.exe /S \"C:\\Firma\\Produkt\\UnInstall.log\"
Readme=liesmich.txt
ServerDigests=$(sha256_of "$payload/com/registers.dll")*${target}com\\registers.dll
URLInfoAbout=http://pelmora.example/
URLUpdateInfo=http://pelmora.example/update
UninstallString=C:\\windows\\stUnInst.exe \"C:\\Firma\\Produkt\\UnInstall.log\"" "$(reg_values "$uninstall_key")"
expect "new: the listed keys made, the working server's marker, nothing from the failing one" \
  "present present Registered=C:\\Firma\\Produkt\\com\\registers.dll" \
  "$(reg_exists 'HKCU\Software\PelmoraE2E\Einstellungen') $(reg_exists 'HKCU\Software\PelmoraE2E\Daten') $(reg_values 'HKCU\Software\PelmoraTest\ComServer')"
group="$programs/Pelmora E2E"
expect "new: the Start menu's shortcuts" "Hauptprogramm.lnk Liesmich.lnk Uninstall.lnk" \
  "$(cd "$group" 2>/dev/null && ls | tr '\n' ' ' | sed 's/ $//')"
cp "$group"/*.lnk "$out/" 2>/dev/null
expect "new: the shortcuts: target|description|working folder|arguments|icon" \
  "${target}main.exe|Hauptprogramm|\"$target\"||${target}main.exe
${target}liesmich.txt|Liesmich|\"$target\"||
C:\\windows\\stUnInst.exe|Uninstall|\"$target\"|\"${target}UnInstall.log\"|" \
  "$(for name in Hauptprogramm Liesmich Uninstall; do link_fields "$group/$name.lnk"; done)"
cp "$installed/UnInstall.Log" "$out/new-protocol.log" 2>/dev/null
# C:\Firma, which the setup made to hold the target, is recorded after the
# header.
expect "new: the protocol" "$(protocol_box)
0$target
1${target}UnInstall.log
0C:\\Firma\\
0${target}com
1${target}com\\broken.dll
1${target}com\\fails.dll
1${target}com\\registers.dll
1${target}config.ini
0${target}daten
1${target}daten\\werte.txt
1${target}liesmich.txt
1${target}main.exe
1${target}registry.reg
1${target}stUnInst.exe
r1SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name
r1Software\\PelmoraE2E\\Einstellungen
r1Software\\PelmoraE2E\\Daten
o${target}com\\registers.dll
gPelmora E2E
$(protocol_trailer)" "$(protocol_of "$installed/UnInstall.Log")"
# Masked above: the date and time the run started and its duration, in the
# formats of the prefix's locale.
expect "new: the prefix's locale, whose formats the protocol uses" \
  "LocaleName=en-US|sShortDate=M/d/yyyy|sTimeFormat=h:mm:ss tt" \
  "$(reg_values 'HKCU\Control Panel\International' | grep -e ^LocaleName= -e ^sShortDate= -e ^sTimeFormat= | paste -sd'|')"
expect "new: the protocol's date, time and duration" fits \
  "$(protocol_stamps "$installed/UnInstall.Log" "$started" "$ended")"
expect "new: nothing else left in the prefix" "$drive_c/Firma
$group
$drive_c/windows/stUnInst.exe
HKEY_CURRENT_USER\\Software\\PelmoraE2E
HKEY_CURRENT_USER\\Software\\PelmoraTest
HKEY_CURRENT_USER\\$e2e_uninstall_key\\$key_name" "$(e2e_leftovers)"

# The smaller setups below share a manifest without shortcuts, COM servers
# and uninstaller, each with its archive settings.
small_manifest() {  # MANIFEST [ARCHIVE_LINE...]
  local manifest=$1; shift
  write_manifest "$manifest" 1.0.0.0 "$key_name" "program = liesmich.txt" "uninstaller = no" \
    "[archive]" "$@"
}
# What a small setup installs into TARGET, in its protocol: FILEs relative
# to the target ("1daten\werte.txt"), key lines ("r1...") as they are; the
# folder the setup made to hold TARGET is C:\Firma, missing in a cleaned
# prefix, unless made_parent says otherwise ("" when it was there).
small_protocol() {  # TARGET FILE...
  local target=$1 parent=${made_parent-'C:\Firma\'} f; shift
  protocol_box
  echo "0$target"
  echo "1${target}UnInstall.log"
  [ -n "$parent" ] && echo "0$parent"
  for f in "$@"; do
    case $f in
    r*) echo "$f" ;;
    *) echo "${f:0:1}$target${f:1}" ;;
    esac
  done
  echo g
  protocol_trailer
}
small_files=("0daten" "1daten\\werte.txt" "1liesmich.txt")
# What it leaves in the prefix: the target. Its medium carries no
# uninstaller, so there is no uninstall shortcut either.
small_leftovers="$drive_c/Firma"
small_payload() {  # DIR: liesmich.txt and daten\werte.txt with the fixed times
  mkdir -p "$1/daten"
  printf 'Lies mich.\r\n' >"$1/liesmich.txt"
  printf 'eins\r\nzwei\r\n' >"$1/daten/werte.txt"
}
cancel_state() { dump=$(ui dump Installation) && echo "Cancel visible=$(field_of 808 visible)"; }

# A setup saved a second time by a browser ("Install (1).exe") and started
# from another working directory still finds its files and its library.
e2e_clean_prefix renamed
small_payload "$out/payload-renamed"
small_manifest "$out/small-lz77.ini" "method = lz77"
make_built_medium "$out/medium-renamed" "$out/small-lz77.ini" "$out/payload-renamed"
mv "$out/medium-renamed/Install.exe" "$out/medium-renamed/Install (1).exe"
mkdir -p "$out/elsewhere"
pushd "$out/elsewhere" >/dev/null
start_program renamed "$out/medium-renamed/Install (1).exe"
setup=$last_pid
popd >/dev/null
ui --timeout 30 click Welcome "&Next >" >/dev/null
ui_wait_line Installation "id=405 " 10
ui settext Installation 405 'C:\Firma\Umbenannt' >/dev/null
ui click Installation "&Next >" >/dev/null
finish renamed
expect "renamed: installed from the renamed setup, no library left beside it or in the working folder" \
  "same|absent|" \
  "$(same_files "$out/payload-renamed" "$drive_c/Firma/Umbenannt" liesmich.txt daten/werte.txt)|$(ls "$out/medium-renamed" | grep -qix unace.dll && echo present || echo absent)|$(ls -A "$out/elsewhere")"
expect "renamed: its protocol, nothing but the target left" "$(small_protocol 'C:\Firma\Umbenannt\' "${small_files[@]}")|$small_leftovers" \
  "$(protocol_of "$drive_c/Firma/Umbenannt/UnInstall.Log")|$(e2e_leftovers)"
rm -rf "$out/elsewhere"

# --- 4. A password-protected archive --------------------------------------
e2e_clean_prefix password
small_payload "$out/payload-password"
small_manifest "$out/password.ini" "method = lz77" "password = geheim"
make_built_medium "$out/medium-password" "$out/password.ini" "$out/payload-password"
start_installation password "$out/medium-password" 'C:\Firma\Geheim'
prompts=""
for _ in $(seq 12); do
  windows=$(ui list)
  grep -q "caption=Finished$" <<<"$windows" && break
  prompt=""
  while IFS= read -r caption; do
    ui --timeout 1 dump "$caption" 2>/dev/null | grep -q "^Edit id=701 " && prompt=$caption
  done < <(sed -n 's/^pid=[0-9]* class=Pelmora[A-Za-z]* caption=//p' <<<"$windows" | grep -v -x -e Installation -e Welcome)
  if [ -n "$prompt" ]; then
    [ -z "$prompts" ] && screenshot password-prompt
    prompts+="$prompt|"
    ui settext "$prompt" 701 geheim >/dev/null
    ui key "$prompt" 701 13 >/dev/null
  fi
  sleep 0.5
done
expect "password: the prompts' captions" "Password neccessary|aten\\werte.txt|iesmich.txt|aten\\werte.txt|" "$prompts"
finish password
expect "password: the files extracted correctly, their protocol, nothing else left" \
  "same|$(small_protocol 'C:\Firma\Geheim\' "${small_files[@]}")|$small_leftovers" \
  "$(same_files "$out/payload-password" "$drive_c/Firma/Geheim" liesmich.txt daten/werte.txt)|$(protocol_of "$drive_c/Firma/Geheim/UnInstall.Log")|$(e2e_leftovers)"

# --- 5. Two volumes, the second missing at first -------------------------
e2e_clean_prefix volumes
export PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)"
ae=$(printf '\xe4')
small_payload "$out/payload-volumes"
head -c 100000 /dev/urandom >"$out/payload-volumes/daten/zufall.bin"
small_manifest "$out/volumes.ini" "method = stored" "volume-size = 64k"
make_built_medium "$out/medium-volumes" "$out/volumes.ini" "$out/payload-volumes"
expect "volumes: the builder made two volumes" "DATA.c00 DATA.c01" \
  "$(cd "$out/medium-volumes" && ls DATA.* | paste -sd' ')"
mv "$out/medium-volumes/DATA.c01" "$out/DATA.c01"
disk_prompt="Bitte Datentr${ae}ger einlegen mit $(e2e_winpath "$out/medium-volumes/DATA.c01")"
start_installation volumes "$out/medium-volumes" 'C:\Firma\Band'
ui --timeout 60 wait "Achtung!" >/dev/null
screenshot volumes-disk-prompt
expect "volumes: the disk prompt" "$disk_prompt" "$(ui texts "Achtung!")"
cp "$out/DATA.c01" "$out/medium-volumes/DATA.c01"
ui click "Achtung!" OK >/dev/null
finish volumes
expect "volumes: every file, the one across both volumes too, their protocol, nothing else left" \
  "same|$(small_protocol 'C:\Firma\Band\' 0daten '1daten\werte.txt' '1daten\zufall.bin' 1liesmich.txt)|$small_leftovers" \
  "$(same_files "$out/payload-volumes" "$drive_c/Firma/Band" liesmich.txt daten/werte.txt daten/zufall.bin)|$(protocol_of "$drive_c/Firma/Band/UnInstall.Log")|$(e2e_leftovers)"

# Cancel at the disk prompt (it comes in the list pass, before anything is
# unpacked) ends the program; the run still writes its protocol, without
# entries, into the target it made, which therefore stays, and nothing else.
e2e_clean_prefix volumes-cancel
rm "$out/medium-volumes/DATA.c01"
start_installation volumes-cancel "$out/medium-volumes" 'C:\Firma\Band'
ui --timeout 60 wait "Achtung!" >/dev/null
ui click "Achtung!" Cancel >/dev/null
expect_end volumes-cancel "Cancel at the disk prompt ends the program" 7
expect "volumes-cancel: nothing unpacked, only the protocol, nothing else left" \
  "UnInstall.Log|$small_leftovers" "$(ls "$drive_c/Firma/Band")|$(e2e_leftovers)"
expect "volumes-cancel: the protocol of the cancelled installation" "$(small_protocol 'C:\Firma\Band\')" \
  "$(protocol_of "$drive_c/Firma/Band/UnInstall.Log")"

# Cancel while a large entry is being unpacked, in a first installation:
# the walk stops, the main window closes, and the run still registers what
# it reached (the entries before and the one being unpacked, not those
# after it) and writes and seals its protocol. The medium's uninstaller is
# the archive's first entry, so the run has it, moves it into the Windows
# folder and writes the product's entry; the uninstaller it names removes
# everything the run did, the parent it made too, and stays itself.
e2e_clean_prefix large
unset PELMORA_TEST_LANGUAGE_NAME
mkdir -p "$out/payload-large"
printf 'a\r\n' >"$out/payload-large/a.txt"
head -c 300000000 /dev/urandom >"$out/payload-large/b.bin"
printf 'c\r\n' >"$out/payload-large/c.txt"
write_manifest "$out/large.ini" 1.0.0.0 "$key_name" "program = a.txt" "[archive]" "method = stored"
make_built_medium "$out/medium-large" "$out/large.ini" "$out/payload-large" \
  --uninstaller "$(e2e_winpath "$uninstaller")"
rm -rf "$out/payload-large"
start_installation large "$out/medium-large" 'C:\Firma\Gross'
# Cancel appears with the list pass's end code, as the extract pass begins;
# it is pressed the moment a.txt is there, while the large entry after it
# is being unpacked (which takes well under a second).
ui --timeout 60 click-after Installation Cancel 'C:\Firma\Gross\a.txt' >/dev/null
expect_end large "Cancel during the extraction ends the program" 7
# The entry being unpacked is not left cut short.
expect "large: only the entry before the cancelled one is unpacked; left: the target, the uninstall shortcut, the entry" \
  "UnInstall.Log a.txt|$small_leftovers
$programs/Uninstall.lnk
$drive_c/windows/stUnInst.exe
HKEY_CURRENT_USER\\$e2e_uninstall_key\\$key_name" \
  "$(ls "$drive_c/Firma/Gross" | paste -sd' ')|$(e2e_leftovers)"
cp "$drive_c/Firma/Gross/UnInstall.Log" "$out/large-protocol.log"
expect "large: the protocol of the partial installation, sealed in the entry" \
  "$(small_protocol 'C:\Firma\Gross\' 1stUnInst.exe 1a.txt 1b.bin "r1SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name")|sealed" \
  "$(protocol_of "$drive_c/Firma/Gross/UnInstall.Log")|$(sealed "$uninstall_key" "$drive_c/Firma/Gross/UnInstall.Log")"
start_from_entry large-removal "$uninstall_key"
confirm_and_summarise large-removal "Pelmora E2E 1.0.0.0"
wait_program "$uninstaller_pid" 20
expect "large-removal: everything the cancelled run did is removed, exit code 0" \
  "\"Pelmora E2E 1.0.0.0\" has been removed.

Removed: 2 files, 2 folders, 1 registry key, 1 shortcut, 0 COM servers unregistered.|0" "$summary|$?"
expect "large-removal: nothing left but the shared uninstaller" "$drive_c/windows/stUnInst.exe" \
  "$(e2e_leftovers)"
rm -rf "$out/medium-large"

# --- 6. An entry whose name climbs out of the target ---------------------
# Made by hand: the builder refuses to archive such a name.
e2e_clean_prefix hostile
write_setup_description "$out/small.txt" "$setup_version" 1.0.0.0 "$key_name" liesmich.txt \
  "<beginicons>" "<endicons>"
make_medium "$out/medium-hostile" "$out/small.txt"
cp "$e2e_root/tests/data/ace/dirtraversal1.ace" "$out/medium-hostile/DATA.c00"
rm -rf "$drive_c/tmp/unace-dir-traversal" "$drive_c/unace-dir-traversal"
start_installation hostile "$out/medium-hostile" 'C:\Firma\Feind\Tief'
ui --timeout 60 wait Pelmora >/dev/null
screenshot hostile-message
expect "hostile: the message names the entry" \
  'The archive entry "../../../../../../../tmp/unace-dir-traversal" has a name that is not allowed and is not unpacked. The installation stops' \
  "$(ui dismiss Pelmora | sed 's/\.$//')"
expect "hostile: Cancel shown" "Cancel visible=1" "$(cancel_state)"
screenshot hostile-cancel
ui click Installation Cancel >/dev/null
expect_end hostile "Cancel ends the program, nothing to remove" 9
expect "hostile: nothing written outside the target" "" \
  "$(find "$drive_c" /tmp -maxdepth 3 -name 'unace-dir-traversal*' 2>/dev/null)"
expect "hostile: nothing unpacked, no protocol, no registry key" "" \
  "$(find "$drive_c/Firma" -type f 2>/dev/null; e2e_test_keys)"

# --- 7. A protocol that cannot be written ends the run -------------------
# Nothing could remove what the run made: it takes back what it created
# (the files and the folder it unpacked) before it says why it failed; the
# folder in the protocol's place was there before and stays.
e2e_clean_prefix failure
export PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)"
small_payload "$out/payload-failure"
make_built_medium "$out/medium-failure" "$out/small-lz77.ini" "$out/payload-failure"
mkdir -p "$drive_c/Firma/Fehler/UnInstall.Log"
start_installation failure "$out/medium-failure" 'C:\Firma\Fehler'
ui --timeout 60 wait Pelmora >/dev/null
screenshot failure-report
expect "failure: the error report" "E/A-Fehler 5." "$(ui dismiss Pelmora)"
expect "failure: the page says why, Cancel shown, what the run unpacked taken back" \
  "Die Installation ist fehlgeschlagen: der Zugriff wurde verweigert.|Cancel visible=1|UnInstall.Log" \
  "$(control_text Installation 804)|$(cancel_state)|$(ls -A "$drive_c/Firma/Fehler" | paste -sd' ')"
ui click Installation Cancel >/dev/null
expect_end failure "Cancel ends the program, nothing to remove" 9

# --- 8. The archive's errors during the extract pass ------------------------
# A stored archive of two entries, liesmich.txt and werte.txt; each scenario
# makes the second one fail in a fresh installation into C:\Firma\Fehler.
# The messages are the same in both languages; these run in German.
mkdir -p "$out/payload-flat"
printf 'Lies mich.\r\n' >"$out/payload-flat/liesmich.txt"
printf 'eins\r\nzwei\r\n' >"$out/payload-flat/werte.txt"
find "$out/payload-flat" -exec touch -t "$stamp" {} +
small_manifest "$out/flat.ini" "method = stored"
make_built_medium "$out/medium-flat" "$out/flat.ini" "$out/payload-flat"
# Made by hand from it: werte.txt with a compression method no version of
# the format has (3), and with one byte of its stored data changed.
cp -r "$out/medium-flat" "$out/medium-method"
set_entry_method "$out/medium-method/DATA.c00" werte.txt 3
cp -r "$out/medium-flat" "$out/medium-damaged"
printf Z | dd of="$out/medium-damaged/DATA.c00" bs=1 conv=notrunc 2>/dev/null \
  seek="$(grep -obUaF zwei "$out/medium-damaged/DATA.c00" | cut -d: -f1)"
# The message box (a dialog of its own, CAPTION, TEXT) comes as the entry is
# being unpacked; the page then says that the installation failed and waits
# with Cancel visible, which ends the program. The run then goes on as after
# Cancel at the disk prompt: it writes its protocol, naming both entries,
# and the uninstall shortcut. The status line names the cause where Windows
# gave one ($failed_status).
failed_status="Die Installation ist fehlgeschlagen."
archive_error() {  # NAME MEDIUM CAPTION TEXT [escape]: "escape" leaves by Escape
  start_installation "$1" "$2" 'C:\Firma\Fehler'
  ui --timeout 60 wait "$3" >/dev/null || e2e_fail "$1" "no message; windows: $(ui list | tr '\n' ';')"
  screenshot "$1-message"
  expect "$1: the message box" "#32770|$4" \
    "$(ui list | sed -n "s/^pid=[0-9]* class=\([^ ]*\) caption=$3\$/\1/p")|$(ui dismiss "$3")"
  ui_wait_line Installation "id=808 visible=1" 10
  dump=$(ui dump Installation)
  expect "$1: the page says the installation failed, Cancel shown" \
    "$failed_status|Cancel visible=1" \
    "$(text_of 804)|Cancel visible=$(field_of 808 visible)"
  screenshot "$1-cancel"
  if [ "${5:-}" = escape ]; then
    ui escape Installation >/dev/null  # Escape is Cancel once Cancel is there
  else
    ui click Installation Cancel >/dev/null
  fi
  expect_end "$1" "Cancel ends the failed program, removable" 8
}
flat_error_protocol() { small_protocol 'C:\Firma\Fehler\' 1liesmich.txt 1werte.txt; }

# Library code 11: the file to be replaced is held open, as by a running
# program; the list pass could not delete it, nor can the entry replace it.
e2e_clean_prefix held
mkdir -p "$drive_c/Firma/Fehler"
printf 'alt\r\n' >"$drive_c/Firma/Fehler/werte.txt"
touch -t 201901010000.00 "$drive_c/Firma/Fehler/werte.txt"  # older than its entry
start_program holder "$hold_file" 'C:\Firma\Fehler\werte.txt' 120
holder=$last_pid
for _ in $(seq 50); do grep -q holding "$out/holder.out" 2>/dev/null && break; sleep 0.2; done
expect "held: the file is held open" holding "$(tr -d '\r' <"$out/holder.out")"
# Windows answers the replacement of a file open elsewhere with "access
# denied", and the status line says so.
failed_status="Die Installation ist fehlgeschlagen: der Zugriff wurde verweigert." \
  archive_error held "$out/medium-flat" Pelmora \
  'File already exists and could not be deleted/updated!\n\rWhen updating: is the application you want to update running?'
kill "$holder" 2>/dev/null
expect "held: the first entry unpacked, the held file unchanged, no temporary file; the protocol; nothing else left" \
  "UnInstall.Log liesmich.txt werte.txt|same|alt|$(made_parent='' flat_error_protocol)|$small_leftovers" \
  "$(ls -A "$drive_c/Firma/Fehler" | paste -sd' ')|$(same_files "$out/payload-flat" "$drive_c/Firma/Fehler" liesmich.txt)|$(tr -d '\r' <"$drive_c/Firma/Fehler/werte.txt")|$(protocol_of "$drive_c/Firma/Fehler/UnInstall.Log")|$(e2e_leftovers)"

# Library code 132: a compression method the library does not accept.
e2e_clean_prefix method
archive_error method "$out/medium-method" Pelmora \
  'Wrong DATA-format. Please contact author to recompile the SetupData in the proper format!'
expect "method: the first entry unpacked, the second not, no temporary file; the protocol; nothing else left" \
  "UnInstall.Log liesmich.txt|same|$(flat_error_protocol)|$small_leftovers" \
  "$(ls -A "$drive_c/Firma/Fehler" | paste -sd' ')|$(same_files "$out/payload-flat" "$drive_c/Firma/Fehler" liesmich.txt)|$(protocol_of "$drive_c/Firma/Fehler/UnInstall.Log")|$(e2e_leftovers)"

# Any other code is shown as its number: 131, data that does not match its CRC.
e2e_clean_prefix damaged
archive_error damaged "$out/medium-damaged" 'Error!' 'Error Code 131' escape
expect "damaged: the first entry unpacked, the damaged one not, no temporary file; the protocol; nothing else left" \
  "UnInstall.Log liesmich.txt|same|$(flat_error_protocol)|$small_leftovers" \
  "$(ls -A "$drive_c/Firma/Fehler" | paste -sd' ')|$(same_files "$out/payload-flat" "$drive_c/Firma/Fehler" liesmich.txt)|$(protocol_of "$drive_c/Firma/Fehler/UnInstall.Log")|$(e2e_leftovers)"

# A folder in the target that someone swapped for a symbolic link to
# another folder before the setup ran: nothing is written through it; the
# extraction stops at the first entry below it with its message.
e2e_clean_prefix linked
mkdir -p "$drive_c/Firma/Fehler" "$drive_c/Firma/Opfer"
printf 'opfer\r\n' >"$drive_c/Firma/Opfer/werte.txt"
ln -s "$drive_c/Firma/Opfer" "$drive_c/Firma/Fehler/daten"
archive_error linked "$out/medium-failure" Pelmora \
  'Ein Ordner auf dem Weg zu "C:\Firma\Fehler\daten\werte.txt" ist eine Verbindung oder ein symbolischer Link. Es wird nichts hindurch geschrieben; die Installation wird abgebrochen.'
expect "linked: nothing written through the link" "werte.txt|opfer" \
  "$(ls -A "$drive_c/Firma/Opfer" | paste -sd' ')|$(tr -d '\r' <"$drive_c/Firma/Opfer/werte.txt")"
rm -f "$drive_c/Firma/Fehler/daten"
unset PELMORA_TEST_LANGUAGE_NAME

# --- 9. A setup over files that are all newer than its entries --------------
# A product without an uninstaller has no Uninstall entry, so its setup
# started again comes as a new installation, in mode 0, whose rule passes
# over every entry whose file is as new or newer. When that is every entry,
# the list pass selects nothing, and the archive component takes the empty
# selection for "all entries": the extract pass unpacks every entry onto
# the files that stayed, the user's newer ones are replaced by the entries
# with their times, and the run completes. No entry vouches for the first
# run's protocol and the second writes none either, so its block goes
# behind the first, which is never emptied (the first block names the
# parent C:\Firma that run made, the second none).
e2e_clean_prefix newer
start_installation newer-first "$out/medium-flat" 'C:\Firma\Neuer'
finish newer-first
for f in liesmich.txt werte.txt; do
  printf 'vom Benutzer\r\n' >"$drive_c/Firma/Neuer/$f"
  touch -t 203001010000.00 "$drive_c/Firma/Neuer/$f"
done
start_installation newer "$out/medium-flat" 'C:\Firma\Neuer'
finish newer
expect "newer: every file replaced by its entry, with the entry's time" "same|$stamp $stamp" \
  "$(same_files "$out/payload-flat" "$drive_c/Firma/Neuer")|$(file_time "$drive_c/Firma/Neuer/liesmich.txt") $(file_time "$drive_c/Firma/Neuer/werte.txt")"
expect "newer: the first run's block, which no entry vouches for, kept, the second's behind it; nothing else left" \
  "$(small_protocol 'C:\Firma\Neuer\' 1liesmich.txt 1werte.txt)
$(made_parent='' small_protocol 'C:\Firma\Neuer\' 1liesmich.txt 1werte.txt)|$small_leftovers" \
  "$(protocol_of "$drive_c/Firma/Neuer/UnInstall.Log")|$(e2e_leftovers)"

e2e_finish
