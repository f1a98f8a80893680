#!/bin/bash
# usage: existing_installation.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE OUTDIR
# The setup over an installation that the registry names (its Uninstall key
# under HKCU, seeded here and deleted again): repair, update and downgrade
# with their texts in German and English, the choice that enables Next, the
# installed folder on the target directory page, the way back from both
# pages, the downgrade's abort and an Uninstall key without a version; each
# way out leaving nothing but the seeded key. The media come from the
# medium builder. Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 out=$5
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
a=$(printf '\xe4') o=$(printf '\xf6') u=$(printf '\xfc')
key_name=PelmoraE2EExisting
key="HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key_name"
installed_path='C:\Pelmora\Alt'

unseed() { e2e_wine reg delete "$key" /f >/dev/null 2>&1; }
seed() {  # NAME DISPLAY_VERSION|- : a clean prefix with the Uninstall key,
          # without a version for "-"
  local attempt shown
  e2e_clean_prefix "$1"; shift
  # Checked and tried again: a registry command under load has been seen to
  # leave the key of the scenario before.
  for attempt in 1 2 3; do
    unseed
    [ "$1" != - ] && e2e_wine reg add "$key" /v DisplayVersion /d "$1" /f >/dev/null 2>&1
    e2e_wine reg add "$key" /v InstallPath /d "$installed_path" /f >/dev/null 2>&1
    shown=$(e2e_wine reg query "$key" /v DisplayVersion 2>/dev/null | tr -d '\r' |
      sed -n 's/.*REG_SZ *//p')
    [ "${shown:--}" = "$1" ] && return 0
  done
  echo "could not seed $key with DisplayVersion $1 (it shows [$shown])" >&2
}
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
# What a way out of the setup leaves: the seeded key, nothing else.
seeded="HKEY_CURRENT_USER\\$e2e_uninstall_key\\$key_name"

mkdir -p "$out/payload"
printf 'kein Programm\r\n' >"$out/payload/demo.exe"
printf 'Zum Test: eine Zeile Information.\n' >"$out/info.txt"
manifest_name="Pelmora Demo" write_manifest "$out/with-info.ini" 1.2.0.0 "$key_name" \
  "program = demo.exe" "information = info.txt" "uninstaller = no"
manifest_name="Pelmora Demo" write_manifest "$out/plain.ini" 1.2.0.0 "$key_name" \
  "program = demo.exe" "uninstaller = no"
make_built_medium "$out/with-info" "$out/with-info.ini" "$out/payload"
make_built_medium "$out/plain" "$out/plain.ini" "$out/payload"

german() { PELMORA_TEST_LANGUAGE_NAME="Deutsch (Deutschland)" "$@"; }
# "id=enabled/checked" of some controls, in one line.
states_of() {  # CAPTION ID...
  local caption=$1 dump id; shift
  dump=$(ui dump "$caption")
  for id in "$@"; do
    printf '%s ' "$id=$(sed -n "s/^Button id=$id .* enabled=\([01]\) checked=\([0-9-]\) .*/\1\/\2/p" <<<"$dump")"
  done | sed 's/ $//'
}
# Everything the existing-installation page says, one control a line:
# title, explanation, group caption, both choices, Weiter, Zurück, Abbrechen.
page_texts() {
  local dump id
  dump=$(ui dump Installation)
  for id in 103 500 501 502 503 100 101 102; do sed -n "s/^[A-Za-z]* id=$id .* text=//p" <<<"$dump"; done
}
nothing_but_the_seed() {  # NAME
  expect "$1: nothing left but the seeded key" "$seeded" "$(e2e_leftovers)"
}
german_buttons="&Weiter >
< &Zur${u}ck
&Abbrechen"

# Repair, German, with an information page: Weiter waits for a choice; the
# way back from both pages; the installed folder with its backslash on the
# target page.
seed repair-de 1.2.0.0
german start_setup repair-de "$out/with-info"
ui --timeout 30 click Willkommen "&Weiter >" >/dev/null
expect "repair-de: information page first" "Informationen zum Programm" "$(control_text Installation 103)"
ui click Installation "&Weiter >" >/dev/null
expect "repair-de: texts" "Reparatur
Das Produkt, welche Sie gerade versuchen zu installieren, ist in derselben Version bereits auf Ihrem Computer installiert. Sie haben nun folgende M${o}glichkeiten:
 Bitte w${a}hlen Sie: 
&Reparaturinstallation
&komplette Reparaturinstallation (alle Dateien/Einstellungen werden ${u}berschrieben)
$german_buttons" "$(page_texts)"
screenshot repair-de
expect_status "repair-de: Weiter disabled before a choice" 3 ui click Installation "&Weiter >"
expect "repair-de: nothing chosen, Weiter disabled" "502=1/0 503=1/0 100=0/0" "$(states_of Installation 502 503 100)"
ui press Installation 502 >/dev/null
expect "repair-de: a choice enables Weiter" "502=1/1 503=1/0 100=1/0" "$(states_of Installation 502 503 100)"
ui click Installation "< &Zur${u}ck" >/dev/null
expect "repair-de: back to the information page" "Informationen zum Programm" "$(control_text Installation 103)"
ui click Installation "&Weiter >" >/dev/null
expect "repair-de: the page as it was left" "Reparatur 502=1/1 503=1/0 100=1/0" \
  "$(control_text Installation 103) $(states_of Installation 502 503 100)"
ui click Installation "&Weiter >" >/dev/null
expect "repair-de: target page shows the installed folder" "Installationspfad|$installed_path\\" \
  "$(control_text Installation 103)|$(control_text Installation 405)"
screenshot repair-de-target
ui click Installation "< &Zur${u}ck" >/dev/null
# The information page comes before both when there is one.
expect "repair-de: back from the target page" "Informationen zum Programm" "$(control_text Installation 103)"
ui click Installation "&Abbrechen" >/dev/null
expect_end repair-de "Abbrechen ends the program" 7
nothing_but_the_seed repair-de

# Update, English, no information lines: Back leads to the welcome page;
# the three buttons stay German.
seed update-en 1.1.9.9
start_setup update-en "$out/plain"
ui --timeout 30 click Welcome "&Next >" >/dev/null
expect "update-en: texts" "Update to 1.2.0.0
The product, you're trying to install, is already installed on your computer, but in an older version (1.1.9.9). You can choose one of the following now:
 Please choose: 
normal &Update
&complete Update (all files will be overwritten)
$german_buttons" "$(page_texts)"
screenshot update-en
ui click Installation "< &Zur${u}ck" >/dev/null
expect_status "update-en: back to the welcome page" 0 ui --timeout 15 wait Welcome
ui click Welcome "&Next >" >/dev/null
ui click Installation "&complete Update (all files will be overwritten)" >/dev/null
ui click Installation "&Weiter >" >/dev/null
expect "update-en: target page shows the installed folder" "Directory|$installed_path\\" \
  "$(control_text Installation 103)|$(control_text Installation 405)"
ui click Installation "< &Back" >/dev/null
expect "update-en: back from the target page" "Update to 1.2.0.0 502=1/0 503=1/1 100=1/0" \
  "$(control_text Installation 103) $(states_of Installation 502 503 100)"
ui click Installation "&Abbrechen" >/dev/null
expect_end update-en "Abbrechen ends the program" 7
nothing_but_the_seed update-en

# Downgrade: the first choice is to abort, and Next with it ends the setup.
seed downgrade-de 2.0.0.0
german start_setup downgrade-de "$out/plain"
ui --timeout 30 click Willkommen "&Weiter >" >/dev/null
expect "downgrade-de: texts" "Downgrade
Das Produkt, welche Sie gerade versuchen zu installieren, ist in einer NEUEREN Versionbereits auf Ihrem Computer installiert. Es ist nicht empfehlenswert, diese ${a}ltere Version zu installieren. Sie haben nun folgende M${o}glichkeiten:
 Bitte w${a}hlen Sie: 
&Abbrechen
Dennoch &installieren (alle Dateien radikal ${u}berschreiben)
$german_buttons" "$(page_texts)"
screenshot downgrade-de
ui press Installation 502 >/dev/null
ui click Installation "&Weiter >" >/dev/null
expect_end downgrade-de "Abbrechen and Weiter end the program" 7
nothing_but_the_seed downgrade-de

start_setup downgrade-en "$out/plain"
ui --timeout 30 click Welcome "&Next >" >/dev/null
expect "downgrade-en: title and choices" "Downgrade|&Abort|&Install (all files will be overwritten)" \
  "$(control_text Installation 103)|$(control_text Installation 502)|$(control_text Installation 503)"
screenshot downgrade-en
ui click Installation "&Abort" >/dev/null
ui click Installation "&Weiter >" >/dev/null
expect_end downgrade-en "Abort and Weiter end the program" 7
nothing_but_the_seed downgrade-en

# An Uninstall key without DisplayVersion: the error report, then the page
# with its layout texts, still usable; showing it again tries again.
seed no-version -
start_setup no-version "$out/plain"
ui --timeout 30 click Welcome "&Next >" >/dev/null
expect "no-version: error report" "'' ist kein g${u}ltiger Integerwert." "$(ui texts Pelmora)"
screenshot no-version
ui dismiss Pelmora >/dev/null
expect "no-version: layout texts, Weiter disabled" "Installationspfad|Reparaturinstallation|100=0/0" \
  "$(control_text Installation 103)|$(control_text Installation 502)|$(states_of Installation 100)"
screenshot no-version-page
ui click Installation "Reparaturinstallation" >/dev/null
ui click Installation "&Weiter >" >/dev/null
expect "no-version: target page shows the installed folder" "Directory|$installed_path\\" \
  "$(control_text Installation 103)|$(control_text Installation 405)"
ui click Installation "< &Back" >/dev/null
expect "no-version: the report again on the next showing" "'' ist kein g${u}ltiger Integerwert." \
  "$(ui texts Pelmora)"
ui dismiss Pelmora >/dev/null
ui click Installation "&Abbrechen" >/dev/null
expect_end no-version "Abbrechen ends the program" 7
nothing_but_the_seed no-version

e2e_finish
