#!/bin/bash
# usage: installation_run.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE ACETOOL_EXE
#                            COM_REGISTERS_DLL COM_FAILS_DLL OUTDIR
# Setups that really install, from media whose archive acetool writes: a new
# installation checked on disk, in the registry, in the Start menu and in
# its protocol; the password prompt; a missing second volume supplied after
# the disk prompt or given up; an entry with a hostile name; a protocol
# that cannot be written. Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 acetool=$5 com_registers=$6 com_fails=$7 out=$8
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
medium_use_acetool "$acetool"
rm -rf "$out"/*.png "$out"/*.out "$out"/*.log "$out"/payload* "$out"/*.txt
drive_c="$prefix/drive_c"
programs="$drive_c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
key_name=PelmoraE2ERun
uninstall_key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name"
stamp=202001021234.56  # the payload's file times, local time, even seconds for DOS times

clean_up() {
  local key
  for key in "$uninstall_key" 'HKCU\Software\PelmoraE2E' 'HKCU\Software\PelmoraTest'; do
    e2e_wine reg delete "$key" /f >/dev/null 2>&1
  done
  chmod -R u+w "$drive_c/Firma" 2>/dev/null
  rm -rf "$drive_c/Firma" "$drive_c/windows/stUnInst.exe" "$programs/Pelmora E2E" "$programs/Uninstall.lnk"
}
trap 'clean_up; stop_programs' EXIT
clean_up

# --- helpers --------------------------------------------------------------
text_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 .* text=//p" <<<"$dump"; }
field_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 \(.* \)\?$2=\([^ ]*\) .*/\2/p" <<<"$dump"; }
# A shortcut file's target (LinkInfo's local path), then its description,
# working folder, arguments and icon (StringData), joined by "|".
link_fields() {
  local file=$1 flags offset info n bit target fields=()
  u16() { od -An -tu2 -j"$1" -N2 "$file" | tr -d ' '; }
  u32() { od -An -tu4 -j"$1" -N4 "$file" | tr -d ' '; }
  flags=$(u32 20) offset=76
  ((flags & 1)) && offset=$((offset + 2 + $(u16 $offset)))
  if ((flags & 2)); then
    info=$offset
    target=$(dd if="$file" bs=1 skip=$((info + $(u32 $((info + 16))))) count=260 2>/dev/null | tr '\0' '\n' | head -1)
    offset=$((offset + $(u32 $offset)))
  fi
  fields+=("${target:-}")
  for bit in 4 16 32 64; do  # description, working folder, arguments, icon
    ((flags & 8)) && [ "$bit" = 16 ] && offset=$((offset + 2 + 2 * $(u16 $offset)))  # relative path
    if ((flags & bit)); then
      n=$(u16 $offset)
      fields+=("$(dd if="$file" bs=1 skip=$((offset + 2)) count=$((2 * n)) 2>/dev/null | iconv -f UTF-16LE -t CP1252 | tr -d '\0')")
      offset=$((offset + 2 + 2 * n))
    else
      fields+=("")
    fi
  done
  (IFS='|'; echo "${fields[*]}")
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
find "$payload" -exec touch -t "$stamp" {} +

support_lines=("<beginsupportinfos>" "Pelmora Test" "http://pelmora.example/" "http://pelmora.example/update"
  "http://pelmora.example/hilfe" "+49 30 123456" "support@pelmora.example" "liesmich.txt"
  "Zum Testen" "end of support information")
write_setup_description "$out/full.txt" "$setup_version" 1.0.0.0 "$key_name" main.exe \
  "<beginregistry>" 'Software\PelmoraE2E\Einstellungen' 'Software\PelmoraE2E\Daten' "<endregistry>" \
  "<beginregisterocx>" 'com\registers.dll' 'com\fails.dll' 'com\missing.dll' "<endregisterocx>" \
  "<beginicons>" "Pelmora E2E" "Hauptprogramm" main.exe main.exe \
  "Pelmora E2E" "Liesmich" liesmich.txt icon "<endicons>" "${support_lines[@]}"
make_installable_medium "$drive_c/medium-full" "$out/full.txt" "$payload" --method lz77

# --- 1. A new installation into a folder whose parent is missing ------------
target='C:\Firma\Produkt\'
installed="$drive_c/Firma/Produkt"
start_installation new "$drive_c/medium-full" 'C:\Firma\Produkt'
failed_notices=""
for server in fails missing; do
  if ui --timeout 60 wait Pelmora >/dev/null; then
    [ "$server" = fails ] && screenshot new-com-notice
    failed_notices+="$(ui dismiss Pelmora)|"
  fi
done
expect "new: a notice for each server that does not register" \
  "Failed to register ${target}com\\fails.dll|Failed to register ${target}com\\missing.dll|" "$failed_notices"
finish new

expect "new: the payload's files, unchanged, with their times" \
  "same same same same same $stamp $stamp" \
  "$(for f in main.exe liesmich.txt daten/werte.txt config.ini com/registers.dll; do
       cmp -s "$payload/$f" "$installed/$f" && printf 'same ' || printf 'differs(%s) ' "$f"; done
     echo "$(file_time "$installed/liesmich.txt") $(file_time "$installed/daten/werte.txt")")"
expect "new: registry.reg imported and deleted" "Wert=aus registry.reg|gone" \
  "$(reg_values 'HKCU\Software\PelmoraE2E\Import')|$([ -e "$installed/registry.reg" ] && echo kept || echo gone)"
expect "new: the uninstaller moved to the Windows folder" "moved|same" \
  "$([ -e "$installed/stUnInst.exe" ] && echo kept || echo moved)|$(cmp -s "$payload/stUnInst.exe" "$drive_c/windows/stUnInst.exe" && echo same)"
expect "new: the twelve Uninstall values" "Comments=Zum Testen
Contact=support@pelmora.example
DisplayName=Pelmora E2E 1.0.0.0
DisplayVersion=1.0.0.0
HelpLink=http://pelmora.example/hilfe
HelpTelephone=+49 30 123456
InstallPath=C:\\Firma\\Produkt\\
Publisher=Pelmora Test
Readme=liesmich.txt
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
expect "new: the protocol" "$(protocol_box)
0$target
1${target}UnInstall.log
0${target}com
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
clean_up

# The smaller setups below share a description without shortcuts and COM
# servers, and payloads without an uninstaller.
write_setup_description "$out/small.txt" "$setup_version" 1.0.0.0 "$key_name" liesmich.txt \
  "<beginicons>" "<endicons>"
small_payload() {  # DIR: liesmich.txt and daten\werte.txt with the fixed times
  mkdir -p "$1/daten"
  printf 'Lies mich.\r\n' >"$1/liesmich.txt"
  printf 'eins\r\nzwei\r\n' >"$1/daten/werte.txt"
}
same_files() {  # PAYLOAD INSTALLED FILE...: "same" or what differs
  local payload=$1 installed=$2 f result=same; shift 2
  for f in "$@"; do cmp -s "$payload/$f" "$installed/$f" || result="differs: $f"; done
  echo "$result"
}
cancel_state() { dump=$(ui dump Installation) && echo "Cancel visible=$(field_of 808 visible)"; }

# A setup saved a second time by a browser ("Install (1).exe") and started
# from another working directory still finds its files and its library.
small_payload "$out/payload-renamed"
make_installable_medium "$drive_c/medium-renamed" "$out/small.txt" "$out/payload-renamed"
mv "$drive_c/medium-renamed/Install.exe" "$drive_c/medium-renamed/Install (1).exe"
mkdir -p "$out/elsewhere"
pushd "$out/elsewhere" >/dev/null
start_program renamed "$drive_c/medium-renamed/Install (1).exe"
setup=$last_pid
popd >/dev/null
ui --timeout 30 click Welcome "&Next >" >/dev/null
ui_wait_line Installation "id=405 " 10
ui settext Installation 405 'C:\Firma\Umbenannt' >/dev/null
ui click Installation "&Next >" >/dev/null
finish renamed
expect "renamed: installed from the renamed setup, no library left beside it" "same|absent" \
  "$(same_files "$out/payload-renamed" "$drive_c/Firma/Umbenannt" liesmich.txt daten/werte.txt)|$(ls "$drive_c/medium-renamed" | grep -qix unace.dll && echo present || echo absent)"
rm -rf "$drive_c/medium-renamed" "$drive_c/Firma/Umbenannt" "$out/elsewhere"

# --- 4. A password-protected archive --------------------------------------
small_payload "$out/payload-password"
make_installable_medium "$drive_c/medium-password" "$out/small.txt" "$out/payload-password" \
  --method lz77 --password geheim
start_installation password "$drive_c/medium-password" 'C:\Firma\Geheim'
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
expect "password: the files extracted correctly" same \
  "$(same_files "$out/payload-password" "$drive_c/Firma/Geheim" liesmich.txt daten/werte.txt)"
clean_up

# --- 5. Two volumes, the second missing at first -------------------------
export PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)"
ae=$(printf '\xe4')
small_payload "$out/payload-volumes"
head -c 60000 /dev/urandom >"$out/payload-volumes/daten/zufall.bin"
make_installable_medium "$drive_c/medium-volumes" "$out/small.txt" "$out/payload-volumes" \
  --method stored --volume-size 40000
mv "$drive_c/medium-volumes/DATA.c01" "$out/DATA.c01"
disk_prompt="Bitte Datentr${ae}ger einlegen mit C:\\medium-volumes\\DATA.c01"
start_installation volumes "$drive_c/medium-volumes" 'C:\Firma\Band'
ui --timeout 60 wait "Achtung!" >/dev/null
screenshot volumes-disk-prompt
expect "volumes: the disk prompt" "$disk_prompt" "$(ui texts "Achtung!")"
cp "$out/DATA.c01" "$drive_c/medium-volumes/DATA.c01"
ui click "Achtung!" OK >/dev/null
finish volumes
expect "volumes: every file, the one across both volumes too" same \
  "$(same_files "$out/payload-volumes" "$drive_c/Firma/Band" liesmich.txt daten/werte.txt daten/zufall.bin)"
clean_up

# Cancel at the disk prompt (it comes in the list pass, before anything is
# unpacked) ends the program; the run still writes its protocol, without
# entries, into the target it made, which therefore stays.
rm "$drive_c/medium-volumes/DATA.c01"
rm -rf "$drive_c/Firma/Band"
start_installation volumes-cancel "$drive_c/medium-volumes" 'C:\Firma\Band'
ui --timeout 60 wait "Achtung!" >/dev/null
ui click "Achtung!" Cancel >/dev/null
expect_end volumes-cancel "Cancel at the disk prompt ends the program"
expect "volumes-cancel: nothing unpacked, only the protocol" "UnInstall.Log" "$(ls "$drive_c/Firma/Band")"
expect "volumes-cancel: the protocol of the cancelled installation" "$(protocol_box)
0C:\\Firma\\Band\\
1C:\\Firma\\Band\\UnInstall.log
g
$(protocol_trailer)" "$(protocol_of "$drive_c/Firma/Band/UnInstall.Log")"
clean_up

# Cancel while a large entry is being unpacked: the walk stops, the main
# window closes, and the run still writes the protocol of what it reached
# (the entries before and the one being unpacked, not those after it).
unset PELMORA_TEST_LANGUAGE_NAME
mkdir -p "$out/payload-large"
printf 'a\r\n' >"$out/payload-large/a.txt"
head -c 300000000 /dev/urandom >"$out/payload-large/b.bin"
printf 'c\r\n' >"$out/payload-large/c.txt"
make_installable_medium "$drive_c/medium-large" "$out/small.txt" "$out/payload-large" --method stored
rm -rf "$out/payload-large"
start_installation large "$drive_c/medium-large" 'C:\Firma\Gross'
# Cancel appears with the list pass's end code, as the extract pass begins.
ui_wait_line Installation "id=808 visible=1" 60
ui click Installation Cancel >/dev/null
expect_end large "Cancel during the extraction ends the program"
expect "large: the entries after the cancelled one are not unpacked" "a.txt|absent" \
  "$(ls "$drive_c/Firma/Gross" | grep -x a.txt)|$([ -e "$drive_c/Firma/Gross/c.txt" ] && echo present || echo absent)"
expect "large: the protocol of the partial installation" "$(protocol_box)
0C:\\Firma\\Gross\\
1C:\\Firma\\Gross\\UnInstall.log
1C:\\Firma\\Gross\\a.txt
1C:\\Firma\\Gross\\b.bin
g
$(protocol_trailer)" "$(protocol_of "$drive_c/Firma/Gross/UnInstall.Log")"
rm -rf "$drive_c/medium-large" "$drive_c/Firma/Gross"

# --- 6. An entry whose name climbs out of the target ---------------------
unset PELMORA_TEST_LANGUAGE_NAME
make_medium "$drive_c/medium-hostile" "$out/small.txt"
cp "$e2e_root/tests/data/ace/dirtraversal1.ace" "$drive_c/medium-hostile/DATA.c00"
rm -rf "$drive_c/tmp/unace-dir-traversal" "$drive_c/unace-dir-traversal"
start_installation hostile "$drive_c/medium-hostile" 'C:\Firma\Feind\Tief'
ui --timeout 60 wait Pelmora >/dev/null
screenshot hostile-message
expect "hostile: the message names the entry" \
  'The archive entry "../../../../../../../tmp/unace-dir-traversal" has a name that is not allowed and is not unpacked. The installation stops' \
  "$(ui dismiss Pelmora | sed 's/\.$//')"
expect "hostile: Cancel shown" "Cancel visible=1" "$(cancel_state)"
screenshot hostile-cancel
ui click Installation Cancel >/dev/null
expect_end hostile "Cancel ends the program"
expect "hostile: nothing written outside the target" "" \
  "$(find "$drive_c" /tmp -maxdepth 3 -name 'unace-dir-traversal*' 2>/dev/null)"
clean_up

# --- 7. A protocol that cannot be written ends the run -------------------
export PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)"
small_payload "$out/payload-failure"
make_installable_medium "$drive_c/medium-failure" "$out/small.txt" "$out/payload-failure" --method lz77
mkdir -p "$drive_c/Firma/Fehler/UnInstall.Log"
start_installation failure "$drive_c/medium-failure" 'C:\Firma\Fehler'
ui --timeout 60 wait Pelmora >/dev/null
screenshot failure-report
expect "failure: the error report" "E/A-Fehler 5." "$(ui dismiss Pelmora)"
expect "failure: Cancel shown, the files unpacked" "Cancel visible=1|same" \
  "$(cancel_state)|$(same_files "$out/payload-failure" "$drive_c/Firma/Fehler" liesmich.txt daten/werte.txt)"
ui click Installation Cancel >/dev/null
expect_end failure "Cancel ends the program"
clean_up

e2e_finish
