#!/bin/bash
# usage: unattended.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE OUTDIR
# The setup without anyone at the screen, on media the medium builder makes:
# /S installs a password archive into a /D= folder with blanks, its password
# from /PASSWORDFILE=, with no window appearing while it runs, exits 0 and
# logs every file, step and its end; an older medium then exits with the
# downgrade code and changes nothing; /SP /DOWNGRADE shows only the
# installation page and downgrades; a wrong switch exits with its code and
# writes nothing (a usage box without /S); a folder in the Windows folder
# exits with the target code; a damaged description exits with the start-up
# refusal. Screenshots and logs in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 out=$6
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
key_name=PelmoraE2EQuiet
uninstall_key="HKCU\\$e2e_uninstall_key\\$key_name"
target='C:\Pelmora Quiet\Tool Box'
target_dir="$drive_c/Pelmora Quiet/Tool Box"
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT

# Two versions of one product; every file of the older one differs.
payload() {  # DIR VERSION
  mkdir -p "$1/daten"
  printf 'Programm %s\r\n' "$2" >"$1/main.exe"
  printf 'Lies mich (%s).\r\n' "$2" >"$1/liesmich.txt"
  printf 'eins\r\nzwei\r\n%s\r\n' "$2" >"$1/daten/werte.txt"
}
# With an information page, which the unattended way passes too.
printf 'Zum Test: eine Zeile Information.\n' >"$out/info.txt"
manifest() {  # MANIFEST VERSION
  write_manifest "$1" "$2" "$key_name" "program = main.exe" "information = info.txt" \
    "[registry]" "key = Software\\PelmoraE2EQuiet" \
    "[shortcut]" "group = Pelmora Quiet" "name = Tool Box" "target = main.exe" \
    "[archive]" "method = lz77" "password = geheim"
}
payload "$out/payload-new" 1.2.0.0
payload "$out/payload-old" 1.1.0.0
manifest "$out/new.ini" 1.2.0.0
manifest "$out/old.ini" 1.1.0.0
make_built_medium "$out/new" "$out/new.ini" "$out/payload-new" --uninstaller "$(e2e_winpath "$uninstaller")"
make_built_medium "$out/old" "$out/old.ini" "$out/payload-old" --uninstaller "$(e2e_winpath "$uninstaller")"
printf 'geheim\r\nnot the password\r\n' >"$out/password.txt"
password_file=$(e2e_winpath "$out/password.txt")

# Runs the setup with ARGS and waits for its end; $status is its exit code.
# Meanwhile the visible top-level windows are listed again and again:
# $appeared holds each line that was not there before it started.
run_setup() {  # NAME MEDIUM ARGS...
  local name=$1 medium=$2 before; shift 2
  before=$(ui list | sort)
  start_program "$name" "$medium/Install.exe" "$@"
  local pid=$last_pid seen="$out/$name.windows"
  local polls=0
  : >"$seen"
  while kill -0 "$pid" 2>/dev/null; do ui list >>"$seen" && polls=$((polls + 1)); done
  wait "$pid"
  status=$?
  appeared=$(sort -u "$seen" | comm -13 <(echo "$before") - | sed 's/^pid=[0-9]* //' | tr '\n' ';')
  # A run too short to be looked at proves nothing about its windows.
  [ "$polls" -gt 0 ] || appeared+="(never listed)"
}
# What a run could change: the target's files with their digests, the
# product's Uninstall values, and whatever else setups leave.
state() {
  (cd "$target_dir" 2>/dev/null && find . -type f -exec md5sum {} + | sort)
  reg_values "$uninstall_key"
  e2e_leftovers
}
log_lines() { tr -d '\r' <"$1" | sed 's/^[0-9-]* [0-9:]* //'; }

# --- 1. /S into a folder with blanks -----------------------------------------
e2e_clean_prefix silent
log="$out/silent.log"
run_setup silent "$out/new" /s "/LOG=$(e2e_winpath "$log")" "/PASSWORDFILE=$password_file" \
  "/D=$target"
expect "silent: exit code 0, no window appeared" "0|" "$status|$appeared"
expect "silent: the files, the version in the Uninstall entry" \
  "same|DisplayVersion=1.2.0.0" \
  "$(same_files "$out/payload-new" "$target_dir")|$(reg_values "$uninstall_key" | grep '^DisplayVersion=')"
lines=$(log_lines "$log")
files_logged=""
for f in main.exe liesmich.txt 'daten\werte.txt'; do
  grep -q -F -x "written \"$target\\$f\"" <<<"$lines" && files_logged+="$f "
done
expect "silent: the log names every file" 'main.exe liesmich.txt daten\werte.txt ' "$files_logged"
expect "silent: the log's steps and end" \
  "setup started|password read|installing into \"$target\\\"|Uninstall entry: done|key HKEY_CURRENT_USER\\Software\\PelmoraE2EQuiet|Tool Box.lnk\"|protocol written|exit code 0: installed; total time" \
  "$(for l in 'setup started' 'password read' "installing into \"$target\\\"" 'Uninstall entry: done' \
       'key HKEY_CURRENT_USER\Software\PelmoraE2EQuiet' 'Tool Box.lnk"' 'protocol written' \
       'exit code 0: installed; total time'; do
       grep -q -F -- "$l" <<<"$lines" && printf '%s|' "$l"; done | sed 's/|$//')"
expect "silent: the password is in no log line" 0 "$(grep -c geheim "$log")"
installed=$(state)

# --- 2. An older medium: refused, nothing changed ----------------------------
run_setup older "$out/old" /S "/LOG=$(e2e_winpath "$log")" "/PASSWORDFILE=$password_file"
expect "older: the downgrade code, no window" "6|" "$status|$appeared"
expect "older: nothing changed" "$installed" "$(state)"
expect "older: the log says why, appended to the first run's" \
  "2|downgrade refused: /DOWNGRADE was not given|exit code 6: downgrade refused" \
  "$(grep -c 'setup started' "$log")|$(log_lines "$log" | grep -o 'downgrade refused: .*')|$(log_lines "$log" | grep -o 'exit code 6: [a-z ]*' | sed 's/ *$//')"

# --- 3. /SP /DOWNGRADE: only the installation page, the older version in -----
run_setup downgrade "$out/old" /SP /DOWNGRADE "/PASSWORDFILE=$password_file" "/D=$target"
expect "downgrade: exit code 0, only the installation page was shown" \
  "0|class=PelmoraPage caption=Installation;" "$status|$appeared"
expect "downgrade: the older files and version" "same|DisplayVersion=1.1.0.0" \
  "$(same_files "$out/payload-old" "$target_dir")|$(reg_values "$uninstall_key" | grep '^DisplayVersion=')"

# --- 4. A wrong switch: its code, nothing written -----------------------------
e2e_clean_prefix wrong-switch
wrong_log="$out/wrong.log"
run_setup wrong-silent "$out/new" "/LOG=$(e2e_winpath "$wrong_log")" /S /QUIET "/D=$target"
expect "wrong switch with /S: the usage code, no window, no log, nothing left" \
  "4||absent|" "$status|$appeared|$([ -e "$wrong_log" ] && echo present || echo absent)|$(e2e_leftovers)"
start_program wrong-box "$out/new/Install.exe" "/LOG=$(e2e_winpath "$wrong_log")" /BOGUS
box=$(ui --timeout 20 texts Pelmora)
screenshot wrong-switch-box
ui dismiss Pelmora >/dev/null
wait_program "$last_pid" 15
status=$?
expect "wrong switch without /S: the usage box, the usage code, no log, nothing left" \
  "Unknown or malformed switch: /BOGUS|4|absent|" \
  "$(head -1 <<<"$box" | sed 's/\\n.*//')|$status|$([ -e "$wrong_log" ] && echo present || echo absent)|$(e2e_leftovers)"

# --- 5. A folder the target rule refuses: its code, nothing installed ---------
refused_log="$out/refused.log"
run_setup refused "$out/new" /S "/LOG=$(e2e_winpath "$refused_log")" "/PASSWORDFILE=$password_file" \
  '/D=C:\windows\Pelmora'
expect "refused target: the target code, no window, nothing left, the refusal logged" \
  '5|||target folder refused: "C:\windows\Pelmora\"' \
  "$status|$appeared|$(e2e_leftovers)|$(log_lines "$refused_log" | grep -o 'target folder refused: .*')"

# --- 6. A damaged description: the start-up refusal --------------------------
# Cut after three lines, as no builder writes it.
mkdir -p "$out/damaged" && cp -r "$out/new/." "$out/damaged/" && chmod -R u+w "$out/damaged"
head -n 3 "$out/new/install.pmd" >"$out/damaged/install.pmd"
damaged_log="$out/damaged.log"
run_setup damaged "$out/damaged" /S "/LOG=$(e2e_winpath "$damaged_log")" "/D=$target"
expect "damaged: the refusal code, no window, nothing installed" "1||" "$status|$appeared|$(e2e_leftovers)"
expect "damaged: the message and the end in the log" \
  "message \"Fehler!!\": Installationseinstellungen fehlerhaft!|exit code 1" \
  "$(log_lines "$damaged_log" | grep -o 'message "Fehler!!": [A-Za-z]* [a-z]*!')|$(log_lines "$damaged_log" | grep -o 'exit code 1')"

e2e_finish
