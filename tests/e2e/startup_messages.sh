#!/bin/bash
# usage: startup_messages.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE OUTDIR
# End to end under Wine on a virtual screen: the setup program's start-up
# messages for a medium without install.pmd, with one of another version and
# with a damaged one. Each message must appear with its exact text and
# caption, and the program must end once it is confirmed. The extraction
# library is removed only when the program wrote it: a medium that carries
# its own UnACE.dll keeps it, whatever happens. Screenshots are left in
# OUTDIR for people to look at.
set -u
prefix=$1 install=$2 pack=$3 wintool=$4 out=$5
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$out"
medium="$out/medium"
rm -rf "$medium"; mkdir -p "$medium"
cp "$install" "$medium/Install.exe"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
# Wine's programs get files, never this script's output: service processes
# started on the way outlive them and would keep a pipe open.
wine_run() { "$root/scripts/wine-run.sh" "$prefix" "$@" 2>>"$out/wine.log"; }

passed=0 failed=0
expect_message() {
  local name=$1 caption=$2 expected=$3
  wine_run "$medium/Install.exe" >/dev/null &
  local pid=$!
  local got
  got=$(wine_run "$wintool" --timeout 30 texts "$caption" | tr -d '\r' | iconv -f CP1252 -t UTF-8)
  import -window root "$out/$name.png" 2>/dev/null
  wine_run "$wintool" --timeout 5 dismiss "$caption" >/dev/null
  local code=0
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL $name: Install.exe still running after the message was confirmed"
    kill "$pid"; failed=$((failed + 1)); return
  fi
  wait "$pid"; code=$?
  if [ "$got" != "$expected" ]; then
    echo "FAIL $name: expected [$expected] in a window \"$caption\", saw [$got]"
    failed=$((failed + 1))
  elif [ "$code" -eq 0 ]; then
    echo "FAIL $name: Install.exe ended with 0 after a start-up error"
    failed=$((failed + 1))
  else
    echo "ok   $name ($out/$name.png)"
    passed=$((passed + 1))
  fi
}

# The medium's own copy of the library must survive every way out unchanged.
own_library="the medium's own UnACE.dll"
library_kept() {
  local name=$1
  if [ "$(cat "$medium/UnACE.dll" 2>/dev/null)" = "$own_library" ]; then
    echo "ok   $name: the medium's UnACE.dll is still there"; passed=$((passed + 1))
  else
    echo "FAIL $name: the medium's UnACE.dll was deleted or changed"; failed=$((failed + 1))
  fi
}

# Runs Install.exe on a good description until it ends by itself.
run_good() {
  local name=$1
  wine_run "$medium/Install.exe" >/dev/null &
  local pid=$!
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    import -window root "$out/$name.png" 2>/dev/null
    kill "$pid"; echo "FAIL $name: Install.exe did not end (see $out/$name.png)"; failed=$((failed + 1))
    return 1
  elif ! wait "$pid"; then
    echo "FAIL $name: Install.exe failed on a good description"; failed=$((failed + 1))
    return 1
  fi
}

plain() {  # writes a plain description with the given version line
  printf '%s\r\n' "$1" "Pelmora Demo" "1.0.0.0" "PelmoraDemo" 'C:\Demo' "demo.exe" > "$out/plain.txt"
}

expect_message missing-pmd "Fehler!!" 'Installationseinstellungen fehlerhaft!\n\npmd-Datei nicht gefunden!'

plain "0.9.9.9"
wine_run "$pack" encode "$(winpath "$out/plain.txt")" "$(winpath "$medium/install.pmd")"
version=$(sed -n 's/^#define PELMORA_VERSION_STRING "\(.*\)"/\1/p' "$(dirname "$install")/../generated/Version.h")
expect_message wrong-version "Pelmora" "Incorrect Version of Install.pmd!!\\rNeeded \"$version\"\\rFound \"0.9.9.9\""

plain "$version"
# A description cut short after three lines: the authoring tool refuses it,
# so the damaged file is made by scrambling the lines of a good one and
# cutting it.
wine_run "$pack" encode "$(winpath "$out/plain.txt")" "$(winpath "$out/good.pmd")"
head -n 3 "$out/good.pmd" > "$medium/install.pmd"
expect_message damaged-pmd "Fehler!!" 'Installationseinstellungen fehlerhaft!\n\npmd-Datei beschädigt: die Datei endet vor Zeile 6.'

# A good description: read without a message; the extraction library that
# start-up writes beside the program is gone again when the program ends.
wine_run "$pack" encode "$(winpath "$out/plain.txt")" "$(winpath "$medium/install.pmd")"
if run_good good-pmd; then
  if ls "$medium" | grep -qi '^unace.dll$'; then
    echo "FAIL good-pmd: UnACE.dll left beside the program"; failed=$((failed + 1))
  else
    echo "ok   good-pmd"; passed=$((passed + 1))
  fi
fi

# The same medium carrying its own library: used as it is, never deleted.
printf '%s' "$own_library" > "$medium/UnACE.dll"
run_good own-library-good-pmd && library_kept own-library-good-pmd
plain "0.9.9.9"
wine_run "$pack" encode "$(winpath "$out/plain.txt")" "$(winpath "$medium/install.pmd")"
expect_message own-library-wrong-version "Pelmora" "Incorrect Version of Install.pmd!!\\rNeeded \"$version\"\\rFound \"0.9.9.9\""
library_kept own-library-wrong-version
rm "$medium/install.pmd"
expect_message own-library-missing-pmd "Fehler!!" 'Installationseinstellungen fehlerhaft!\n\npmd-Datei nicht gefunden!'
library_kept own-library-missing-pmd

echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
