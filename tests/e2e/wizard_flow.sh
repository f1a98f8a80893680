#!/bin/bash
# usage: wizard_flow.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL ACETOOL OUTDIR
# The way through the wizard as a user walks it, in English and in German:
# every page with its texts, Back and Next with and without an information
# text, the target directory's trailing backslash, Browse making and
# removing the folder it preselects, Cancel removing an empty target folder
# and sparing a full one, Finish ending the program. A screenshot of every
# page is left in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 acetool=$5 out=$6
e2e_init "$prefix" "$wintool" "$out"
rm -f "$out"/*.png "$out"/*.out

version=$(sed -n 's/^#define PELMORA_VERSION_STRING "\(.*\)"/\1/p' "$(dirname "$install")/../generated/Version.h")
drive_c="$prefix/drive_c"
make_medium() {  # DIR WITH_INFO: Install.exe, install.pmd, DATA.c00
  local dir=$1 with_info=$2
  rm -rf "$dir"; mkdir -p "$dir"
  cp "$install" "$dir/Install.exe"
  sed "s/@VERSION@/$version/" "$e2e_root/samples/demo/install.txt.in" > "$dir/plain.txt"
  # The German medium names no main program (line 6 is ".exe") and has no
  # information text.
  [ "$with_info" = yes ] || sed -i -e '/<begininfos>/,/<endinfos>/{/<begininfos>\|<endinfos>/!d}' \
    -e '6s/.*/.exe/' "$dir/plain.txt"
  e2e_wine "$pack" encode "$(e2e_winpath "$dir/plain.txt")" "$(e2e_winpath "$dir/install.pmd")" >/dev/null 2>&1
  rm "$dir/plain.txt"
  # A small product; its main program is not among the files, so the
  # finished page's offer to start it fails with its message.
  mkdir -p "$dir.payload/hilfe"
  printf 'Pelmora Demo\r\n' > "$dir.payload/liesmich.txt"
  printf 'Hilfe\r\n' > "$dir.payload/hilfe/hilfe.txt"
  e2e_wine "$acetool" c "$(e2e_winpath "$dir/DATA.c00")" "$(e2e_winpath "$dir.payload")" \
    >/dev/null 2>&1
  rm -rf "$dir.payload"
}
# A control's line of the last dump: "ID TEXT" for the control with that id.
text_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 .* text=//p" <<<"$dump"; }
field_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 \(.* \)\?$2=\([^ ]*\) .*/\2/p" <<<"$dump"; }
screen_of() { sed -n '1s/.* screen=\([0-9]*,[0-9]*\),.*/\1/p' <<<"$dump"; }
page() {  # CAPTION TITLE_ID TITLE SHOT: waits for the page, dumps it, screenshot
  if ui_wait_line "$1" "id=$2 " 10 && dump=$(ui dump "$1") && [ "$(text_of "$2")" = "$3" ]; then
    e2e_pass "$4: page \"$3\" shown"
  else
    dump=$(ui --timeout 1 dump "$1"); e2e_fail "$4" "page \"$3\" not shown; windows: $(ui list | tr '\n' ';')"
  fi
  screenshot "$4"
}

english_medium="$drive_c/medium-en"
german_medium="$drive_c/medium-de"
make_medium "$english_medium" yes
make_medium "$german_medium" no

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
expect "en information: the memo holds the text, at the welcome page's place" \
  "Willkommen zur Installation der Pelmora-Demo.|$welcome_at" "$(text_of 300 | sed 's/\\r\\n.*//')|$(screen_of)"
ui click Installation "< &Back" >/dev/null
page Welcome 200 "Pelmora Demo 1.0.0.0" en-3-welcome-again
ui click Welcome "&Next >" >/dev/null
page Installation 103 "Important informations" en-4-information-again
ui click Installation "&Next >" >/dev/null
page Installation 103 "Directory" en-5-target
expect "en target: preset with its backslash, English texts, Label4 stays German" \
  "C:\\Programme\\Pelmora Demo\\|Select directory to install to||Ziel&verzeichnis:|&Browse..." \
  "$(text_of 405)|$(text_of 400)|$(text_of 401)|$(text_of 404)|$(text_of 406)"

# Next with an empty edit does nothing.
ui settext Installation 405 "" >/dev/null
ui click Installation "&Next >" >/dev/null
sleep 1
dump=$(ui dump Installation)
expect "en target: Next with an empty edit stays" "Directory" "$(text_of 103)"

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
# Nothing was installed, so the program it offers to start is not there.
ui click Finished "&Finish" >/dev/null
expect "en finish: starting the program fails with its message" 'Error creating process C:\Ziel\demo.exe' \
  "$(ui dismiss Pelmora)"
wait_program "$setup" 15
expect "en finish: the program ends" 0 $?
expect "en finish: the product is in the target directory with its protocol" "yes|yes|yes" \
  "$([ -f "$drive_c/Ziel/liesmich.txt" ] && echo yes)|$([ -f "$drive_c/Ziel/hilfe/hilfe.txt" ] && echo yes)|$(grep -q -a 'liesmich.txt' "$drive_c/Ziel/UnInstall.Log" && echo yes)"
expect "en finish: the cancelled Browse's folder stays after a completed setup" kept \
  "$([ -d "$drive_c/Abbruch" ] && echo kept)"

# --- German, without an information text ---------------------------------
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
ui settext Installation 405 'C:\Leer' >/dev/null
ui click Installation "&Abbrechen" >/dev/null
wait_program "$setup" 15
expect "de cancel: the program ends; the empty target folder is removed" "0|gone" \
  "$?|$([ -d "$drive_c/Leer" ] && echo kept || echo gone)"

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
expect "de finish: the program ends; the full folder stays" "0|kept" \
  "$?|$([ -f "$drive_c/Voll/datei.txt" ] && echo kept)"

rm -rf "$drive_c/Ziel" "$drive_c/Neu" "$drive_c/Anders" "$drive_c/Voll" "$drive_c/Abbruch" "$drive_c/Leer" \
  "$english_medium" "$german_medium"
e2e_finish
