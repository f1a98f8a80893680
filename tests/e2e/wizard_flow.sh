#!/bin/bash
# usage: wizard_flow.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL OUTDIR
# The way through the wizard as a user walks it, in English and in German:
# every page with its texts, Back and Next with and without an information
# text, the target directory's trailing backslash, a drive root, a folder
# in Windows' own and one below a folder every user may replace refused
# there with a message, Browse making and
# removing the folder it preselects, Cancel removing an empty target folder
# and sparing a full one, Finish ending the program; both installations
# checked on disk and in their protocol. A screenshot of every page is left
# in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 out=$5
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
e2e_clean_prefix english

drive_c="$prefix/drive_c"
programs=$(e2e_programs)
# The sample product, small: its demo.exe is no program, so the finished
# page's offer to start it fails with its message. The English medium has
# the sample's information text; the German one names no main program and
# has no information text.
mkdir -p "$out/payload/hilfe"
printf 'Pelmora Demo\r\n' >"$out/payload/liesmich.txt"
printf 'Hilfe\r\n' >"$out/payload/hilfe/hilfe.txt"
printf 'kein Programm\r\n' >"$out/payload/demo.exe"
cp "$e2e_root/samples/demo/info.txt" "$out/info.txt"
demo_manifest() {  # MANIFEST [LINE...]
  local manifest=$1; shift
  manifest_name="Pelmora Demo" manifest_directory='C:\Programme\Pelmora Demo' \
    write_manifest "$manifest" 1.0.0.0 PelmoraE2EDemo "$@" "uninstaller = no"
}
demo_manifest "$out/english.ini" "program = demo.exe" "information = info.txt"
demo_manifest "$out/german.ini"
# What either installs into TARGET, in its protocol.
demo_protocol() {  # TARGET
  protocol_box
  printf '%s\n' "0$1" "1$1UnInstall.log" "1$1demo.exe" "0$1hilfe" "1$1hilfe\\hilfe.txt" "1$1liesmich.txt" g
  protocol_trailer
}
screen_of() { sed -n '1s/.* screen=\([0-9]*,[0-9]*\),.*/\1/p' <<<"$dump"; }
focus_of() { sed -n '1s/.* focus=\([0-9]*\)$/\1/p' <<<"$dump"; }
page() {  # CAPTION TITLE_ID TITLE SHOT: waits for the page, dumps it, screenshot
  if ui_wait_line "$1" "id=$2 " 10 && dump=$(ui dump "$1") && [ "$(text_of "$2")" = "$3" ]; then
    e2e_pass "$4: page \"$3\" shown"
  else
    dump=$(ui --timeout 1 dump "$1"); e2e_fail "$4" "page \"$3\" not shown; windows: $(ui list | tr '\n' ';')"
  fi
  screenshot "$4"
}

english_medium="$out/medium-en"
german_medium="$out/medium-de"
make_built_medium "$english_medium" "$out/english.ini" "$out/payload"
make_built_medium "$german_medium" "$out/german.ini" "$out/payload"

# --- English, with an information text -----------------------------------
unset PELMORA_TEST_LANGUAGE_NAME
start_program english "$english_medium/Install.exe"
setup=$last_pid
page Welcome 200 "Pelmora Demo 1.0.0.0" en-1-welcome
expect "en welcome: English texts" "This application will install the program mentioned on the top.|To proceed, please click on Next.|&Next >|&Cancel" \
  "$(text_of 201)|$(text_of 202)|$(text_of 100)|$(text_of 102)"
expect "en welcome: client size, no close box, Back disabled" "client=496,352 sysmenu=0|0" \
  "$(sed -n '1s/^window \(client=[0-9,]* sysmenu=[01]\).*/\1/p' <<<"$dump")|$(field_of 101 enabled)"
welcome_at=$(screen_of)
ui click Welcome "&Next >" >/dev/null
page Installation 103 "Important informations" en-2-information
expect "en information: the memo holds the text, at the welcome page's place; Next has the focus" \
  "Willkommen zur Installation der Pelmora-Demo.|$welcome_at|100" \
  "$(text_of 300 | sed 's/\\r\\n.*//')|$(screen_of)|$(focus_of)"
ui click Installation "< &Back" >/dev/null
page Welcome 200 "Pelmora Demo 1.0.0.0" en-3-welcome-again
ui click Welcome "&Next >" >/dev/null
page Installation 103 "Important informations" en-4-information-again
ui click Installation "&Next >" >/dev/null
page Installation 103 "Directory" en-5-target
expect "en target: preset with its backslash, English texts, Label4 stays German; Next has the focus" \
  "C:\\Programme\\Pelmora Demo\\|Select directory to install to||Ziel&verzeichnis:|&Browse...|100" \
  "$(text_of 405)|$(text_of 400)|$(text_of 401)|$(text_of 404)|$(text_of 406)|$(focus_of)"

# Next with an empty edit does nothing.
ui settext Installation 405 "" >/dev/null
ui click Installation "&Next >" >/dev/null
sleep 1
dump=$(ui dump Installation)
expect "en target: Next with an empty edit stays" "Directory" "$(text_of 103)"

# A drive's root is no product's folder: a plain message, and the page stays
# with the path as typed.
ui settext Installation 405 'C:\' >/dev/null
ui click Installation "&Next >" >/dev/null
ui --timeout 10 wait Pelmora >/dev/null
screenshot en-5-drive-root
expect "en target: the drive root refused with its message" \
  "The product cannot be installed into the root of a drive. Please choose a folder." \
  "$(ui dismiss Pelmora)"
dump=$(ui dump Installation)
expect "en target: the page stays with the path" 'Directory|C:\' "$(text_of 103)|$(text_of 405)"

# A folder on the way that every user may change (Wine reports the host's
# mode 777 as Everyone's right to delete and write): the elevated setup
# names it, and the page stays.
mkdir -p "$drive_c/Offen"; chmod 777 "$drive_c/Offen"
ui settext Installation 405 'C:\Offen\Produkt\' >/dev/null
ui click Installation "&Next >" >/dev/null
ui --timeout 10 wait Pelmora >/dev/null
screenshot en-5-open-folder
expect "en target: a folder others may replace refused by name" \
  "Other users may rename, delete or replace the folder \"C:\\Offen\". With administrator rights the product is not installed there: other users could change what is installed and run. Please choose another folder, such as one in the program files folder." \
  "$(ui dismiss Pelmora)"
dump=$(ui dump Installation)
expect "en target: the page stays, nothing made in the open folder" 'Directory|' \
  "$(text_of 103)|$(ls "$drive_c/Offen")"
rm -rf "$drive_c/Offen"

# Browse: the folder in the edit is made so that the dialog can select it;
# choosing another removes it again, but not its parent.
mkdir -p "$drive_c/Anders"; ls -R "$drive_c" >/dev/null 2>&1
ui settext Installation 405 'C:\Neu\Ordner\' >/dev/null
ui click Installation "&Browse..." >/dev/null
ui --timeout 10 wait "Browse for Folder" >/dev/null
screenshot en-6-browse
[ -d "$drive_c/Neu/Ordner" ] && e2e_pass "browse: the folder is made for the preselection" ||
  e2e_fail "browse" "C:\\Neu\\Ordner was not created"
expect "browse: the dialog preselects it" 'C:\Neu\Ordner' "$(ui folder --print)"
ui folder 'C:\Anders' >/dev/null
dump=$(ui dump Installation)
expect "browse: the chosen folder with a backslash; the made one is gone, its parent stays" \
  'C:\Anders\|gone|kept' \
  "$(text_of 405)|$([ -d "$drive_c/Neu/Ordner" ] && echo kept || echo gone)|$([ -d "$drive_c/Neu" ] && echo kept || echo gone)"
# A folder that was there before is never removed, and no error is shown.
mkdir -p "$drive_c/Voll"; echo data > "$drive_c/Voll/datei.txt"; ls -R "$drive_c/Voll" >/dev/null
ui settext Installation 405 'C:\Voll\' >/dev/null
ui click Installation "&Browse..." >/dev/null
ui --timeout 10 wait "Browse for Folder" >/dev/null
ui folder 'C:\Anders' >/dev/null
sleep 1
expect "browse: a folder that existed stays, no message" "kept|" \
  "$([ -f "$drive_c/Voll/datei.txt" ] && echo kept)|$(ui --timeout 1 texts Pelmora 2>/dev/null)"
# Cancelling the dialog leaves the edit and the made folder.
ui settext Installation 405 'C:\Abbruch' >/dev/null
ui click Installation "&Browse..." >/dev/null
ui --timeout 10 wait "Browse for Folder" >/dev/null
ui folder --cancel >/dev/null
dump=$(ui dump Installation)
expect "browse: cancelled, edit and folder unchanged" 'C:\Abbruch|kept' \
  "$(text_of 405)|$([ -d "$drive_c/Abbruch" ] && echo kept)"

ui settext Installation 405 'C:\Ziel' >/dev/null
ui click Installation "&Next >" >/dev/null
page Installation 800 "Installing files..." en-7-installation
page Finished 103 "Application installed" en-8-finished
expect "en finished: texts, Back disabled, the program offered" "|Click on Finish to quit.|0|1|Run installed application now" \
  "$(text_of 600)|$(text_of 601)|$(field_of 101 enabled)|$(field_of 602 checked)|$(text_of 602)"
# The demo.exe of this medium is no program (the uia tool shows a line end as \n).
ui click Finished "&Finish" >/dev/null
expect "en finish: starting the program fails with its message and Windows' reason" \
  'Error creating process C:\Ziel\demo.exe\n\nBad EXE format for C:\Ziel\demo.exe.' "$(ui dismiss Pelmora)"
wait_program "$setup" 15
expect "en finish: the program ends" 0 $?
expect "en finish: the product is in the target directory with its protocol" \
  "same|$(demo_protocol 'C:\Ziel\')" "$(same_files "$out/payload" "$drive_c/Ziel")|$(protocol_of "$drive_c/Ziel/UnInstall.Log")"
expect "en finish: the cancelled Browse's folder stays after a completed setup" kept \
  "$([ -d "$drive_c/Abbruch" ] && echo kept)"
expect "en finish: left besides the folders Browse made: the target (a medium without uninstaller: no uninstall shortcut)" \
  "$drive_c/Ziel" \
  "$(e2e_leftovers | grep -v -x -e "$drive_c/Abbruch" -e "$drive_c/Anders" -e "$drive_c/Neu" -e "$drive_c/Voll")"

# --- German, without an information text ---------------------------------
e2e_clean_prefix german
export PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)"
u=$(printf '\xfc') ae=$(printf '\xe4')
mkdir -p "$drive_c/Leer"
start_program german "$german_medium/Install.exe"
setup=$last_pid
page Willkommen 200 "Pelmora Demo 1.0.0.0" de-1-welcome
expect "de welcome: German texts" "Dieses Programm installiert das oben genannte Produkt auf Ihrem Computer.|&Weiter >|< &Zur${u}ck|&Abbrechen" \
  "$(text_of 201)|$(text_of 100)|$(text_of 101)|$(text_of 102)"
ui click Willkommen "&Weiter >" >/dev/null
page Installation 103 "Installationspfad" de-2-target
expect "de target: no information page on the way; German texts" \
  "W${ae}hlen Sie Durchsuchen, um ein anderes Verzeichnis auszuw${ae}hlen.|&Durchsuchen..." \
  "$(text_of 401)|$(text_of 406)"
ui click Installation "< &Zur${u}ck" >/dev/null
page Willkommen 200 "Pelmora Demo 1.0.0.0" de-3-welcome-again
ui click Willkommen "&Weiter >" >/dev/null
page Installation 103 "Installationspfad" de-4-target-again
# Nor is a folder in Windows' own.
ui settext Installation 405 'C:\windows\Pelmora' >/dev/null
ui click Installation "&Weiter >" >/dev/null
ui --timeout 10 wait Pelmora >/dev/null
expect "de target: a folder in the Windows folder refused with its message" \
  "Das Produkt kann nicht in den Windows-Ordner installiert werden. Bitte w${ae}hlen Sie einen anderen Ordner." \
  "$(ui dismiss Pelmora)"
dump=$(ui dump Installation)
expect "de target: the page stays with the path" 'Installationspfad|C:\windows\Pelmora' "$(text_of 103)|$(text_of 405)"
ui settext Installation 405 'C:\Leer' >/dev/null
ui escape Installation >/dev/null  # Escape is the page's Cancel
wait_program "$setup" 15
expect "de cancel: Escape ends the program with the cancel code (7); the empty target folder is removed, nothing left" "7|gone|" \
  "$?|$([ -d "$drive_c/Leer" ] && echo kept || echo gone)|$(e2e_leftovers)"

mkdir -p "$drive_c/Voll"; echo data > "$drive_c/Voll/datei.txt"

start_program german-full "$german_medium/Install.exe"
setup=$last_pid
page Willkommen 200 "Pelmora Demo 1.0.0.0" de-5-welcome
ui click Willkommen "&Weiter >" >/dev/null
page Installation 103 "Installationspfad" de-6-target
ui settext Installation 405 'C:\Voll\' >/dev/null
ui click Willkommen "&Abbrechen" >/dev/null 2>&1  # hidden: must be refused
ui click Installation "&Weiter >" >/dev/null
page Installation 800 "Das Programm wird nun installiert..." de-7-installation
page Abgeschlossen 103 "Installation abgeschlossen" de-8-finished
expect "de finished: without a main program nothing is offered to start" 0 "$(field_of 602 visible)"
ui click Abgeschlossen "&Beenden" >/dev/null
wait_program "$setup" 15
expect "de finish: the program ends; the full folder keeps its file" "0|kept" \
  "$?|$([ -f "$drive_c/Voll/datei.txt" ] && echo kept)"
expect "de finish: the product with its protocol, nothing else left" \
  "same|$(demo_protocol 'C:\Voll\')|$drive_c/Voll" \
  "$(same_files "$out/payload" "$drive_c/Voll")|$(protocol_of "$drive_c/Voll/UnInstall.Log")|$(e2e_leftovers)"

e2e_finish
