#!/bin/bash
# usage: quiet_uninstall.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE RUN_LINE_EXE
#                           SLOW_SERVER_DLL OUTDIR
# Unattended removal of an installed product, started as its Uninstall
# entry's QuietUninstallString says, with a log appended to a file in a
# folder with a blank: with its protocol untouched it removes everything
# without showing a window, exits 0 and logs each thing it removed; with
# its protocol altered, or with a switch it does not know (silent or not),
# it removes nothing, exits with its code and says why (in the log, or in
# a message box when it is not silent).
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 run_line=$6 slow_server=$7 out=$8
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
programs=$(e2e_programs)
key_name=PelmoraE2EQuiet
entry="HKCU\\$e2e_uninstall_key\\$key_name"
settings='HKCU\Software\PelmoraE2EQ\Einstellungen'
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
e2e_clean_prefix start

listing() { (cd "$1" 2>/dev/null && find . -mindepth 1 | sed 's#^\./##' | sort | paste -sd' '); }
# The log's lines without their date and time; "undated" for a line that
# lacks them.
log_lines() {
  tr -d '\r' <"$log" | sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} //;t;s/^/undated: /'
}

# --- the product, installed -------------------------------------------------
# Forty files in two folders, and a COM server whose unregistration takes
# three seconds: the window list is read while the uninstaller runs.
payload="$out/payload"
mkdir -p "$payload/daten/tief"
cp "$wintool" "$payload/main.exe"
cp "$slow_server" "$payload/langsam.dll"
for i in $(seq 1 20); do
  printf 'Datei %s\r\n' "$i" >"$payload/daten/teil$i.txt"
  printf 'Tief %s\r\n' "$i" >"$payload/daten/tief/wert$i.dat"
done
write_manifest "$out/product.ini" 1.0.0.0 "$key_name" "program = main.exe" \
  "[registry]" 'key = Software\PelmoraE2EQ\Einstellungen' "[com]" 'server = langsam.dll' \
  "[shortcut]" "group = Pelmora Leise" "name = Hauptprogramm" "target = main.exe" \
  "[archive]" "method = lz77"
make_built_medium "$out/medium" "$out/product.ini" "$payload" \
  --uninstaller "$(e2e_winpath "$uninstaller")"
target='C:\Firma\Leise Entfernung\'
installed="$drive_c/Firma/Leise Entfernung"
install_product() {  # NAME
  start_installation "$1" "$out/medium" 'C:\Firma\Leise Entfernung'
  finish "$1"
}
install_product install
quiet=$(reg_values "$entry" | sed -n 's/^QuietUninstallString=//p')
expect "install: QuietUninstallString beside UninstallString, the same command with /S" \
  "C:\\windows\\stUnInst.exe /S \"${target}UnInstall.log\"|C:\\windows\\stUnInst.exe \"${target}UnInstall.log\"" \
  "$quiet|$(reg_values "$entry" | sed -n 's/^UninstallString=//p')"
cp "$installed/UnInstall.Log" "$out/protocol.log"
installed_files=$(listing "$installed")
# What the log must name of the target, in lower case: each file and
# folder in it, the target and the folder the setup made for it.
expected_files=$(
  cd "$installed" && find . -mindepth 1 -printf '%y %P\n' | while read -r kind f; do
    [ "$kind" = d ] && kind=folder || kind=file
    echo "Removed $kind: ${target}${f//\//\\}"
  done
  echo "Removed folder: ${target%\\}"
  echo 'Removed folder: C:\Firma\'
)
expected_files=$(tr 'A-Z' 'a-z' <<<"$expected_files" | sort)
seal=$(seal_of "$entry")
program=${quiet%% /S *}

# Each command line is started as written (by run_line, as Windows starts
# an entry's command; the log's first line shows what arrived). The log
# file's path holds a blank, so its switch is quoted as a whole; it lies
# outside the prefix, which each scenario cleans.
mkdir -p "$out/Log Ordner"
log="$out/Log Ordner/entfernen.log"
log_switch="\"/LOG=$(e2e_winpath "$log")\""
protocol="\"${target}UnInstall.log\""
start_line() {  # NAME LINE
  printf '%s' "$2" >"$out/$1.line"
  start_program "$1" "$run_line" "$(e2e_winpath "$out/$1.line")"
  uninstaller_pid=$last_pid
}

# --- 1. removed without a window, logged --------------------------------------
# The windows shown before the run; any other one the run's list shows is
# the uninstaller's.
ui list | sort >"$out/windows-before.txt"
start_line quiet "$quiet $log_switch"
polls=0
: >"$out/windows-during.txt"
# (At most 100 reads: a run that waits for an answer must not hold the test.)
for ((i = 0; i < 100; i++)); do
  kill -0 "$uninstaller_pid" 2>/dev/null || break
  ui list >>"$out/windows-during.txt"
  kill -0 "$uninstaller_pid" 2>/dev/null && polls=$((polls + 1))
done
wait_program "$uninstaller_pid" 30
status=$?
screenshot quiet-after
expect "quiet: exit code 0, everything removed" 0 "$status"
new_windows=$(sort -u "$out/windows-during.txt" | comm -13 "$out/windows-before.txt" -)
expect "quiet: the window list, read while it ran, shows no window of its" \
  "read|" "$([ "$polls" -gt 0 ] && echo read || echo "not read: the run ended first")|$new_windows"
expect "quiet: target, entry, seal, settings key and group gone" \
  "absent absent absent absent absent" \
  "$([ -e "$installed" ] && echo present || echo absent) $(reg_exists "$entry") $(reg_exists "$seal") $(reg_exists "$settings") $([ -e "$programs/Pelmora Leise" ] && echo present || echo absent)"
expect "quiet: the log's first line: the command line as written, with the log switch" \
  "Uninstaller started: $quiet $log_switch" "$(log_lines | head -n 1)"
# Each file and folder of the target, the target and the folder the setup
# made for it; the settings key, the entry, the seal, the shortcuts and
# their group; nothing left; the exit code last.
logged=$(log_lines)
expect "quiet: the log names every file and folder it removed" \
  "$expected_files" \
  "$(grep -E '^Removed (file|folder): C:\\Firma' <<<"$logged" | tr 'A-Z' 'a-z' | sort)"
expect "quiet: the log names the key, the entry, the seal, the shortcuts and their group" \
  "Removed Uninstall entry: HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name
Removed folder: Pelmora Leise
Removed registry key: HKEY_CURRENT_USER\\Software\\PelmoraE2EQ\\Einstellungen
Removed seal: HKEY_LOCAL_MACHINE\\Software\\Pelmora\\Seals\\HKEY_CURRENT_USER\\$key_name
Removed shortcut: Hauptprogramm.lnk
Removed shortcut: Uninstall.lnk
Unregistered COM server: ${target}langsam.dll" \
  "$(grep -v -E '^(Removed (file|folder): C:\\Firma|Uninstaller started|Exit code)' <<<"$logged" |
    sed -E 's/^(Removed (shortcut|folder): ).*\\/\1/' | sort)"
expect "quiet: the exit code and the whole run's time close the log" \
  "Exit code 0, total time 0:00:SS." "$(log_lines | tail -n 1 | sed -E 's/[0-9]{2}\.$/SS./')"
cp "$log" "$out/log-first.txt"

# --- 2. an altered protocol: refused, nothing removed -----------------------
e2e_clean_prefix between
install_product reinstall
cp "$installed/UnInstall.Log" "$out/protocol.log"
printf '1%seigene Notiz.txt\r\n' "$target" >>"$installed/UnInstall.Log"
printf 'meine Notizen\r\n' >"$installed/eigene Notiz.txt"
before=$(listing "$installed")
start_line altered "$quiet $log_switch"
wait_program "$uninstaller_pid" 30
status=$?
expect "altered: exit code 1 (refused), nothing removed" \
  "1|$before|present present present" \
  "$status|$(listing "$installed")|$(reg_exists "$entry") $(reg_exists "$seal") $(reg_exists "$settings")"
expect "altered: appended to the first run's log, which says why" \
  "kept|Refused: The protocol \"${target}UnInstall.log\" has been changed since the setup wrote it: its check value is not the one in Windows' list of installed programs. Nothing was removed.|Exit code 1" \
  "$(cmp -s -n "$(stat -c %s "$out/log-first.txt")" "$out/log-first.txt" "$log" && echo kept)|$(log_lines | tail -n 2 | head -n 1)|$(log_lines | tail -n 1 | cut -d, -f1)"

# --- 3. a switch it does not know: refused before anything ------------------
cp "$out/protocol.log" "$installed/UnInstall.Log"
rm -f "$installed/eigene Notiz.txt"
start_line wrong-silent "$program /S /Q $protocol $log_switch"
wait_program "$uninstaller_pid" 30
status=$?
expect "wrong switch, silent: exit code 4 (usage), nothing removed, the log says which" \
  "4|$installed_files|present|Refused: The uninstaller does not understand \"/Q\" on its command line. It takes /S (no window), /LOG=<file> (a log of the run) and the path of the product's protocol file (UnInstall.log). Nothing was removed." \
  "$status|$(listing "$installed")|$(reg_exists "$entry")|$(log_lines | tail -n 2 | head -n 1)"
# Not silent: a message box says so (and nothing is removed either). The
# window list shows it: the list the silent run was watched with sees the
# uninstaller's windows.
start_line wrong-shown "$program /Silent $protocol"
if ui --timeout 30 wait Uninstall >/dev/null; then
  listed=$(ui list | grep -c -F 'Uninstall')
  message=$(ui dismiss Uninstall | tr -d '\r')
else
  message="no message box; windows: $(ui list | tr '\n' ';')"
fi
wait_program "$uninstaller_pid" 20
status=$?
expect "wrong switch, shown: the message names it, exit code 4, nothing removed" \
  "The uninstaller does not understand \"/Silent\" on its command line. It takes /S (no window), /LOG=<file> (a log of the run) and the path of the product's protocol file (UnInstall.log). Nothing was removed.|listed|4|$installed_files|present" \
  "$message|$([ "${listed:-0}" -gt 0 ] && echo listed)|$status|$(listing "$installed")|$(reg_exists "$entry")"

e2e_clean_prefix end
e2e_finish
