#!/bin/bash
# usage: single_file.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE OPENSSL OSSLSIGNCODE
#                       OUTDIR
# The one-file setup that build --single-file makes from the manifest and
# payload of a folder medium: started from a download folder in which a
# damaged install.pmd and a DATA.c00 that is no archive were planted, it
# reads neither and installs what the folder medium installs, file by file,
# key by key and in the protocol (date and time aside). Signed (with
# osslsigncode and a throw-away certificate, as build --sign does on
# Linux; the Windows build of the packer does not sign), it verifies and
# starts; one byte changed in its carried archive fails the verification
# and the setup refuses to start with the damaged-medium message; so it does
# cut short, signed or not. Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 openssl=$6 osslsigncode=$7 out=$8
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
key_name=PelmoraE2EOne
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
damaged="Installationseinstellungen fehlerhaft!\\n\\npmd-Datei besch$(printf '\xe4')digt: die Setup-Datei ist unvollst$(printf '\xe4')ndig oder ver$(printf '\xe4')ndert."

payload="$out/payload"
mkdir -p "$payload/daten"
cp "$wintool" "$payload/main.exe"
cp "$uninstaller" "$payload/stUnInst.exe"
printf 'Lies mich.\r\n' >"$payload/liesmich.txt"
printf 'eins\r\nzwei\r\n' >"$payload/daten/werte.txt"
write_manifest "$out/product.ini" 1.0.0.0 "$key_name" "program = main.exe" \
  "setup-file = Pelmora-Setup.exe" "[registry]" 'key = Software\PelmoraE2EOne\Einstellungen' \
  "[shortcut]" "group = Pelmora E2E" "name = Hauptprogramm" "target = main.exe" \
  "[support]" "publisher = Pelmora Test" "[archive]" "method = lz77"
make_built_medium "$out/folder" "$out/product.ini" "$payload"
make_single_file "$out/one" "$out/product.ini" "$payload"
one="$out/one/Pelmora-Setup.exe"
expect "the one file is the program, its medium and a few bytes" "yes" \
  "$(overhead=$(($(stat -c %s "$one") - $(cat "$out/folder"/* | wc -c))); echo "overhead $overhead" >&2
     [ "$overhead" -ge 56 ] && [ "$overhead" -lt 64 ] && echo yes)"

# What an installation into C:\Firma\Produkt left: every file's digest (the
# protocol masked), the Uninstall entry (the protocol's digest aside: its
# date differs), the listed key, the shortcuts' fields, the uninstaller.
installed_state() {
  (cd "$drive_c/Firma" && find . -type f ! -name UnInstall.Log -print0 | sort -z | xargs -0 sha256sum)
  protocol_of "$drive_c/Firma/Produkt/UnInstall.Log"
  reg_values "HKCU\\$e2e_uninstall_key\\$key_name" | grep -v '^ProtocolDigest='
  reg_exists 'HKCU\Software\PelmoraE2EOne\Einstellungen'
  local link
  for link in "$(e2e_programs)/Pelmora E2E"/*; do echo "$(basename "$link") $(link_fields "$link")"; done
  cmp "$payload/stUnInst.exe" "$drive_c/windows/stUnInst.exe" && echo "uninstaller in place"
}

e2e_clean_prefix folder
start_installation folder "$out/folder" 'C:\Firma\Produkt'
finish folder
installed_state >"$out/folder.state"
expect "folder: the product installed" "same" "$(same_files "$payload" "$drive_c/Firma/Produkt" main.exe liesmich.txt daten/werte.txt)"

# The download folder: the one file beside a planted description and archive.
e2e_clean_prefix one
download="$out/download"
mkdir -p "$download"
cp "$one" "$download/"
head -n 3 "$out/folder/install.pmd" >"$download/install.pmd"
printf 'no archive' >"$download/DATA.c00"
setup_program=Pelmora-Setup.exe start_installation one "$download" 'C:\Firma\Produkt'
finish one
installed_state >"$out/one.state"
expect "one: installs what the folder medium installs" "" "$(diff "$out/folder.state" "$out/one.state")"
expect "one: no library left beside it, the planted files untouched" "3|no archive" \
  "$(ls "$download" | wc -l)|$(cat "$download/DATA.c00")"

# Signed, it verifies and starts; its welcome page is left with Cancel.
e2e_clean_prefix signed
"$openssl" req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Pelmora Test Packager' \
  -addext extendedKeyUsage=codeSigning -keyout "$out/cert.key" -out "$out/cert.pem" 2>/dev/null
"$openssl" pkcs12 -export -inkey "$out/cert.key" -in "$out/cert.pem" -out "$out/cert.pfx" -passout pass:
mkdir -p "$out/signed"
"$osslsigncode" sign -pkcs12 "$out/cert.pfx" -pass '' -in "$one" -out "$out/signed/Pelmora-Setup.exe" >/dev/null
verifies() { "$osslsigncode" verify -CAfile "$out/cert.pem" -in "$1" >/dev/null 2>&1 && echo verifies || echo fails; }
expect "signed: the signature verifies" verifies "$(verifies "$out/signed/Pelmora-Setup.exe")"
IFS='|' read -r welcome _ _ _ <<<"$(page_captions)"
setup_program=Pelmora-Setup.exe start_setup signed "$out/signed"
expect "signed: the welcome page" "Pelmora E2E 1.0.0.0" \
  "$(ui --timeout 30 dump "$welcome" | sed -n 's/^Static id=200 .* text=//p')"
screenshot signed-welcome
ui click "$welcome" "&Cancel" >/dev/null
expect_end signed "Cancel ends it" 7

# Refused at start-up: the message, then the end with status 1, nothing left.
refused() {  # NAME FOLDER
  setup_program=Pelmora-Setup.exe start_setup "$1" "$2"
  expect "$1: the damaged-medium message" "$damaged" "$(ui --timeout 30 texts 'Fehler!!')"
  screenshot "$1"
  ui dismiss 'Fehler!!' >/dev/null
  wait_program "$setup" 15
  expect "$1: the setup ends with status 1, leaving nothing" "1|" "$?|$(e2e_leftovers)"
}
# One byte in the middle of the carried archive, which starts after the
# program, at most 7 bytes of alignment and the description.
mkdir -p "$out/altered" "$out/cut" "$out/cut-signed"
cp "$out/signed/Pelmora-Setup.exe" "$out/altered/"
at=$(($(stat -c %s "$install") + 8 + $(stat -c %s "$out/folder/install.pmd") + $(stat -c %s "$out/folder/DATA.c00") / 2))
printf '\x5a' | dd of="$out/altered/Pelmora-Setup.exe" bs=1 seek="$at" conv=notrunc 2>/dev/null
expect "altered: a byte differs, the signature fails" "differs|fails" \
  "$(cmp -s "$out/signed/Pelmora-Setup.exe" "$out/altered/Pelmora-Setup.exe" || echo differs)|$(verifies "$out/altered/Pelmora-Setup.exe")"
refused altered "$out/altered"
head -c -1000 "$one" >"$out/cut/Pelmora-Setup.exe"
refused cut "$out/cut"
head -c -1000 "$out/signed/Pelmora-Setup.exe" >"$out/cut-signed/Pelmora-Setup.exe"
refused cut-signed "$out/cut-signed"

e2e_finish
