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
  rm -rf "$drive_c/Firma" "$drive_c/windows/stUnInst.exe" "$programs/Pelmora E2E"
}
trap 'clean_up; stop_programs' EXIT
clean_up

# --- helpers --------------------------------------------------------------
text_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 .* text=//p" <<<"$dump"; }
field_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 \(.* \)\?$2=\([^ ]*\) .*/\2/p" <<<"$dump"; }
# A registry key's values as "NAME=DATA" lines, sorted.
reg_values() {
  e2e_wine reg query "$1" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    \([^ ].*[^ ]\) \{4\}REG_[A-Z_]* \{4\}\(.*\)$/\1=\2/p' | sort
}
reg_exists() { e2e_wine reg query "$1" >/dev/null 2>&1 && echo present || echo absent; }
file_time() { date -r "$1" +%Y%m%d%H%M.%S 2>/dev/null; }
# The protocol's lines with the date and the duration masked.
protocol_of() {
  tr -d '\r' <"$1" | sed -e 's#^/Date: .* - Time: .*#/Date: DATE - Time: TIME#' \
    -e 's#^/installation duration: .*#/installation duration: DURATION#'
}
protocol_box='//////////////////////////////////////////
/ UnInstall protocol file DON'"'"'T DELETE!! /
/                                        /
/ If you delete this file, an automatic  /
/ and complete uninstallation of this    /
/ application will get impossible!       /
//////////////////////////////////////////
/Date: DATE - Time: TIME'
protocol_trailer="/end of installation
/File created by Pelmora $setup_version
/installation duration: DURATION"

# Walks an English setup up to the installation page with TARGET typed in.
start_installation() {  # NAME MEDIUM TARGET
  start_program "$1" "$2/Install.exe"
  setup=$last_pid
  ui --timeout 30 click Welcome "&Next >" >/dev/null
  ui_wait_line Installation "id=405 " 10
  ui settext Installation 405 "$3" >/dev/null
  ui click Installation "&Next >" >/dev/null
}
# The finished page: its title, then Finish without starting the program.
finish() {  # NAME
  if ui --timeout 60 wait Finished >/dev/null; then
    e2e_pass "$1: the finished page is shown"
  else
    e2e_fail "$1" "no finished page; windows: $(ui list | tr '\n' ';')"
  fi
  screenshot "$1-finished"
  ui --timeout 2 press Finished 602 >/dev/null 2>&1
  ui click Finished "&Finish" >/dev/null
  wait_program "$setup" 15
  expect "$1: the program ends" 0 $?
}
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
expect_end() {  # NAME WHAT
  wait_program "$setup" 15
  local status=$?
  [ "$status" -eq 124 ] && screenshot "$1-still-running"
  expect "$1: $2" 0 "$status"
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
expect "new: the protocol" "$protocol_box
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
$protocol_trailer" "$(protocol_of "$installed/UnInstall.Log")"

e2e_finish
