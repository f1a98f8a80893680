#!/bin/bash
# usage: small_windows.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE PAGE_GALLERY_EXE OUTDIR
# The wizard's two modal windows: the about box opened from the welcome
# page's link, and the password prompt shown by the page gallery, which
# prints each answer in brackets: Enter and the close box both hand over the
# text, and the second request starts with the first answer. Screenshots in
# OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 gallery=$5 out=$6
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
e2e_clean_prefix about
a=$(printf '\xe4') o=$(printf '\xf6')

# About: the box in front of a disabled welcome page; OK gives the page back.
mkdir -p "$out/payload"
printf 'kein Programm\r\n' >"$out/payload/demo.exe"
write_manifest "$out/small.ini" 1.2.0.0 PelmoraE2ESmall "program = demo.exe" "uninstaller = no"
make_built_medium "$out/medium" "$out/small.ini" "$out/payload"
start_program about "$out/medium/Install.exe"
setup_pid=$last_pid
expect_status "about: the link opens the box" 0 ui --timeout 30 click Welcome About
expect "about: texts" "Pelmora
Version $setup_version
$(printf '\xa9') 2026 Pelmora. Alle Rechte vorbehalten.
Bugreports und Vorschl${a}ge bitte an:
bugs@pelmora.example" "$(ui texts Info)"
screenshot about
expect_status "about: the welcome page waits behind it" 3 ui click Welcome "&Next >"
ui click Info OK >/dev/null
expect_status "about: OK closes it" 0 ui gone Info
expect_status "about: the welcome page usable again" 0 ui click Welcome "&Next >"
expect "about: Next led on to the target page" "Directory" \
  "$(ui dump Installation | sed -n 's/^Static id=103 .* text=//p')"
ui click Installation "&Cancel" >/dev/null
wait_program "$setup_pid" 10
expect "about: Cancel ends the setup with the cancelled code (7), nothing left" "7|" "$?|$(e2e_leftovers)"

# The answers printed so far, once there are COUNT of them.
answers() {  # NAME COUNT
  local i
  for ((i = 0; i < 50; i++)); do
    [ "$(grep -c '^\[' "$out/$1.out")" -ge "$2" ] && break
    sleep 0.2
  done
  tr -d '\r' <"$out/$1.out" | paste -sd '|'
}

german_caption="Passwort ben${o}tigt"
start_program password "$gallery" password
gallery_pid=$last_pid
dump=$(ui --timeout 30 dump "$german_caption")
style=$(sed -n 's/^Edit id=701 .* style=\([0-9a-f]*\) .*/\1/p' <<<"$dump")
expect "password: layout, the edit shows stars (ES_PASSWORD)" \
  "Dieses Programm kann nur mit Hilfe eines Passwortes Installiert werden. Bitte eingeben:|Ok|32" \
  "$(sed -n 's/^Static id=700 .* text=//p' <<<"$dump")|$(sed -n 's/^Button id=702 .* text=//p' <<<"$dump")|$((0x${style:-0} & 0x20))"
ui settext "$german_caption" 701 "Geheim $a" >/dev/null
screenshot password
ui key "$german_caption" 701 13 >/dev/null
expect "password: Enter hands over the text" "[Geheim $a]" "$(answers password 1)"
ui --timeout 10 wait "$german_caption" >/dev/null
screenshot password-second
ui close "$german_caption" >/dev/null
expect "password: the second request starts with it; the close box hands it over" \
  "[Geheim $a]|[Geheim $a]" "$(answers password 2)"
wait_program "$gallery_pid" 10
expect "password: the program ends after two requests" 0 $?

start_program password-en "$gallery" password english
gallery_pid=$last_pid
expect "password-en: caption and text" "This application is only installable with entering a password." \
  "$(ui --timeout 30 dump "Password neccessary" | sed -n 's/^Static id=700 .* text=//p')"
screenshot password-en
ui click "Password neccessary" Ok >/dev/null
ui settext "Password neccessary" 701 "second" >/dev/null
ui close "Password neccessary" >/dev/null
expect "password-en: Ok with nothing typed, then the close box" "[]|[second]" "$(answers password-en 2)"
wait_program "$gallery_pid" 10
expect "password-en: the program ends" 0 $?

e2e_finish
