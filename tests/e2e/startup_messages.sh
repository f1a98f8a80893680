#!/bin/bash
# usage: startup_messages.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE CLOSING_EXE OUTDIR
# The setup program's start-up under Wine: the messages for a damaged medium
# (a description of another version, cut short, or with a line that
# unscrambles to a line break), each with its exact text and caption, in
# their order, and the program's end after them, leaving nothing behind; on a good medium the welcome page,
# which waits for the user. The extraction library is written beside the
# program only when nothing is there, is never put in place of another file,
# goes to a private folder under the temporary folder when it cannot stay
# beside the program (a read-only setup folder, from which the product is
# installed all the same), and nothing of it is left once the program ends.
# A running copy of the main program (CLOSING_EXE: a window program that
# ends when asked to close) is closed, the welcome page says so, and the
# installation goes on. The media are copies of one that the medium builder
# made, with files taken away or put in. Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 closing=$5 out=$6
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
for dir in "$out"/*/; do chmod -R u+w "$dir" 2>/dev/null; done
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
# Private folders left by a run that was killed (a program that is killed
# cannot clean up) would be taken for this run's leftovers.
e2e_clean_prefix start
embedded="$(dirname "$install")/../unace/UnACE.dll"  # what the carried, packed library unpacks to
drive_c="$prefix/drive_c"

pmd_missing='Installationseinstellungen fehlerhaft!\n\npmd-Datei nicht gefunden!'
data_missing='Installationsdateien fehlen!\n\nDATA.c00 nicht gefunden!'
wrong_version="Incorrect Version of Install.pmd!!\\rNeeded \"$setup_version\"\\rFound \"0.9.9.9\""
damaged="Installationseinstellungen fehlerhaft!\\n\\npmd-Datei besch$(printf '\xe4')digt: die Datei endet vor Zeile 6."

# The good medium: its main program demo.exe is the closing program.
mkdir -p "$out/payload"
cp "$closing" "$out/payload/demo.exe"
printf 'Lies mich.\r\n' >"$out/payload/liesmich.txt"
manifest_name="Pelmora Demo" write_manifest "$out/good.ini" 1.2.0.0 PelmoraE2EStart \
  "program = demo.exe" "uninstaller = no" "[archive]" "method = lz77"
make_built_medium "$out/built" "$out/good.ini" "$out/payload"
medium_copy() {  # DIR: a fresh copy of the built medium
  rm -rf "$1"; cp -r "$out/built" "$1"
}
# What the good medium installs into TARGET, in its protocol, with the
# parent C:\Firma the setup made for it.
good_protocol() {  # TARGET
  protocol_box
  printf '%s\n' "0$1" "1$1UnInstall.log" '0C:\Firma\' "1$1demo.exe" "1$1liesmich.txt" g
  protocol_trailer
}


# The message in front must be CAPTION with TEXT; it is confirmed with OK.
confirm_message() {  # NAME CAPTION TEXT
  expect "$1: text of \"$2\"" "$3" "$(ui --timeout 30 texts "$2")"
  screenshot "$1"
  ui dismiss "$2" >/dev/null
}

# Nothing more is shown, the program ends by itself and leaves nothing in
# the prefix.
expect_quiet_end() {  # NAME
  expect_status "$1: no further message" 1 ui --timeout 2 wait 'Fehler!!'
  wait_program "$setup" 10
  local status=$?
  if [ "$status" -eq 124 ]; then
    screenshot "$1-still-running"
    e2e_fail "$1: the program ends" "still running after the last message"
  else
    e2e_pass "$1: the program ends"
  fi
  expect "$1: nothing left in the prefix" "" "$(e2e_leftovers)"
}

library_beside() { ls "$1" | grep -i '^unace\.dll$'; }

# The good medium's welcome page, left with Cancel: exit status 0.
welcome_then_cancel() {  # NAME MEDIUM
  start_setup "$1" "$2"
  expect "$1: the welcome page" "Pelmora Demo 1.2.0.0" \
    "$(ui --timeout 30 dump Welcome | sed -n 's/^Static id=200 .* text=//p')"
  screenshot "$1"
  [ -n "${during_run:-}" ] && "$during_run" "$1" "$2"
  ui click Welcome "&Cancel" >/dev/null
  wait_program "$setup" 10
  expect "$1: Cancel ends the program with the cancel code (7), leaves nothing in the prefix" "7|" "$?|$(e2e_leftovers)"
}

# Both files missing: two messages, install.pmd's first, then the end.
medium_copy "$out/missing-both"
rm "$out/missing-both/DATA.c00" "$out/missing-both/install.pmd"
start_setup missing-both "$out/missing-both"
confirm_message missing-both-1 'Fehler!!' "$pmd_missing"
confirm_message missing-both-2 'Fehler!!' "$data_missing"
expect_quiet_end missing-both
expect "missing-both: no library written" "" "$(library_beside "$out/missing-both")"

# Another version or a damaged file: its message only (DATA.c00 is missing
# too, and its message must not follow), nothing written. The builder
# writes no such description: it takes the version from the Install.exe it
# puts beside it, and it writes whole files.
write_description "$out/old.txt" 0.9.9.9 1.2.0.0 PelmoraE2EStart demo.exe
medium_copy "$out/wrong-version"
encode_description "$out/old.txt" "$out/wrong-version/install.pmd"
rm "$out/wrong-version/DATA.c00"
start_setup wrong-version "$out/wrong-version"
confirm_message wrong-version Pelmora "$wrong_version"
expect_quiet_end wrong-version
expect "wrong-version: no library written" "" "$(library_beside "$out/wrong-version")"

# Cut after three lines.
medium_copy "$out/damaged"
head -n 3 "$out/built/install.pmd" >"$out/damaged/install.pmd"
rm "$out/damaged/DATA.c00"
start_setup damaged "$out/damaged"
confirm_message damaged 'Fehler!!' "$damaged"
expect_quiet_end damaged
expect "damaged: no library written" "" "$(library_beside "$out/damaged")"

# A registry line whose stored bytes unscramble to a line break (made by
# hand: the plain form has no way to hold one, the builder writes none). It
# would split the key into two protocol lines; the description is refused
# as damaged before anything is written. The line's fourth character has
# the offset 8, so the stored byte 0x12 stands for a line feed and no line
# end of the file is touched.
medium_copy "$out/control"
alter_description "$out/control" \
  sed 's/^<beginicons>\r$/<beginregistry>\r\nSoftware\\PelmoraE2EStart\\Tool\r\n<endregistry>\r\n&/'
registry_line=$(grep -n -x -F $'Software\\PelmoraE2EStart\\Tool\r' "$e2e_artefacts/altered.txt" | cut -d: -f1)
sed -i "${registry_line}s/^\(...\)./\1\x12/" "$out/control/install.pmd"
start_setup control "$out/control"
confirm_message control 'Fehler!!' \
  "Installationseinstellungen fehlerhaft!\\n\\npmd-Datei besch$(printf '\xe4')digt: Zeile $registry_line enth$(printf '\xe4')lt ein Steuerzeichen."
expect_quiet_end control
expect "control: no library written" "" "$(library_beside "$out/control")"

# DATA.c00 alone missing: its message, the end, no library left.
medium_copy "$out/missing-data"
rm "$out/missing-data/DATA.c00"
start_setup missing-data "$out/missing-data"
confirm_message missing-data 'Fehler!!' "$data_missing"
expect_quiet_end missing-data
expect "missing-data: no library left, none in the temporary folder" "|" \
  "$(library_beside "$out/missing-data")|$(temp_leftovers)"

# A good medium: the library is written beside the program while it runs
# and gone after Cancel.
library_written_beside() {
  if cmp -s "$embedded" "$2/UnACE.dll"; then e2e_pass "$1: library written beside the program"
  else e2e_fail "$1: library written beside the program" "no UnACE.dll equal to the embedded one"; fi
}
medium_copy "$out/good"
during_run=library_written_beside welcome_then_cancel good "$out/good"
expect "good: library removed" "" "$(library_beside "$out/good")"

# A medium carrying the very library: used and kept.
medium_copy "$out/same-library"
cp "$embedded" "$out/same-library/UnACE.dll"
welcome_then_cancel same-library "$out/same-library"
expect_status "same-library: kept byte for byte" 0 cmp "$embedded" "$out/same-library/UnACE.dll"

# Another file of that name: left unchanged; the library goes to a private
# folder under the temporary folder, which is gone at the end.
library_in_private_folder() {
  local folders
  folders=$(temp_leftovers)
  if [ "$(wc -l <<<"$folders")" -eq 1 ] && [ -n "$folders" ] && cmp -s "$embedded" "$folders/UnACE.dll"; then
    e2e_pass "$1: library in one private folder under the temporary folder"
  else
    e2e_fail "$1: library in one private folder under the temporary folder" "found [$folders]"
  fi
}
own_library="the medium's own UnACE.dll"
medium_copy "$out/other-library"
printf '%s' "$own_library" >"$out/other-library/UnACE.dll"
during_run=library_in_private_folder welcome_then_cancel other-library "$out/other-library"
expect "other-library: the medium's file unchanged, no folder left in the temporary folder" \
  "$own_library|" "$(cat "$out/other-library/UnACE.dll")|$(temp_leftovers)"

# The same medium without install.pmd: one message only, the file unchanged.
rm "$out/other-library/install.pmd"
start_setup other-library-missing-pmd "$out/other-library"
confirm_message other-library-missing-pmd 'Fehler!!' "$pmd_missing"
expect_quiet_end other-library-missing-pmd
expect "other-library-missing-pmd: the medium's file unchanged" "$own_library" \
  "$(cat "$out/other-library/UnACE.dll")"

# A setup folder nobody may write to: the library goes to a private folder,
# and the product is installed from there. Root writes whatever the mode
# says, so then the folder is made immutable as well.
e2e_clean_prefix read-only
medium_copy "$out/read-only"
before=$(ls -lA --time-style=+%s "$out/read-only")
chmod a-w "$out/read-only"
immutable=""
if [ "$(id -u)" -eq 0 ] && chattr +i "$out/read-only" 2>/dev/null; then immutable=1; fi
release_read_only() {
  [ -n "$immutable" ] && chattr -i "$out/read-only"
  chmod u+w "$out/read-only"
}
trap 'release_read_only; e2e_clean_prefix end >/dev/null; stop_programs' EXIT
if touch "$out/read-only/probe" 2>/dev/null; then
  rm -f "$out/read-only/probe"
  e2e_fail "read-only: setup folder" "could not be made read-only"
else
  start_installation read-only "$out/read-only" 'C:\Firma\Lesen'
  library_in_private_folder read-only
  finish read-only
  expect "read-only: the product and its protocol" "same|$(good_protocol 'C:\Firma\Lesen\')" \
    "$(same_files "$out/payload" "$drive_c/Firma/Lesen")|$(protocol_of "$drive_c/Firma/Lesen/UnInstall.Log")"
  expect "read-only: nothing written beside the program; left: the target" \
    "$before|$drive_c/Firma" "$(ls -lA --time-style=+%s "$out/read-only")|$(e2e_leftovers)"
fi
release_read_only
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT

# The main program running from some folder: closed when asked (its exit
# status 7 says it was closed, not killed), with the notice on the page.
# Then either Cancel, which leaves nothing, or the installation to its end.
running_previous_version() {  # NAME NOTICE CANCEL|install
  e2e_clean_prefix "$1"
  mkdir -p "$out/installed"
  cp "$closing" "$out/installed/demo.exe"
  start_program "$1-demo" "$out/installed/demo.exe"
  local demo_pid=$last_pid
  sleep 3  # its window is hidden, so nothing shows when it is ready
  start_setup "$1" "$out/good"
  local caption=Welcome
  [ -n "${PELMORA_TEST_LANGUAGE_NAME:-}" ] && caption=Willkommen
  ui --timeout 30 wait "$caption" >/dev/null
  expect "$1: notice shown" "visible=1 $2"     "$(ui_wait_line "$caption" "id=204 visible=1" 15; ui dump "$caption" | sed -n 's/^Static id=204 \(visible=[01]\) .* text=/\1 /p')"
  screenshot "$1"
  wait_program "$demo_pid" 10
  expect "$1: the running program was closed" 7 $?
  if [ "$3" != install ]; then
    ui click "$caption" "$3" >/dev/null
    wait_program "$setup" 10
    expect "$1: Cancel ends the setup with the cancel code (7), nothing left" "7|" "$?|$(e2e_leftovers)"
    return
  fi
  ui click "$caption" "&Next >" >/dev/null
  ui_wait_line Installation "id=405 " 10
  ui settext Installation 405 'C:\Firma\Neu' >/dev/null
  ui click Installation "&Next >" >/dev/null
  finish "$1"
  expect "$1: the product and its protocol; left: the target (no uninstaller, no shortcut to it)" \
    "same|$(good_protocol 'C:\Firma\Neu\')|$drive_c/Firma" \
    "$(same_files "$out/payload" "$drive_c/Firma/Neu")|$(protocol_of "$drive_c/Firma/Neu/UnInstall.Log")|$(e2e_leftovers)"
}
PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)" running_previous_version running-de \
  "Hinweis: Das zu installierende Programm lief im Hintergrund und musste beendet werden." "&Abbrechen"
running_previous_version running-en \
  "Notice: A previous version of the application which should be installed,has been detected in the background and had to be closed." install

e2e_finish
