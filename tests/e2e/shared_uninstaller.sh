#!/bin/bash
# usage: shared_uninstaller.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE
#                              UIA_TARGET_EXE OUTDIR
# The uninstaller in the Windows folder is every product's. A product's
# older medium leaves a newer one there (the build's uninstaller with its
# version resource raised to 9.0.0.0 by hand): the installation still works,
# its entry starts the shared uninstaller, which removes it. A newer medium
# replaces an older one (lowered to 0.9.0.0), and its finished page starts
# the product's program: under Wine the setup counts as elevated, so the
# desktop's shell starts it. The prefix is the test's own, so that its
# desktop lives on this test's display. Each scenario starts in a cleaned
# prefix.
# Screenshots in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 window_program=$6 out=$7
# The window of the product's program, which the finished page starts.
program_window=$(printf 'Pr\xfcfling')
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive_c="$prefix/drive_c"
shared="$drive_c/windows/stUnInst.exe"
key_name=PelmoraE2EShared
entry="HKCU\\$e2e_uninstall_key\\$key_name"
server() { "$e2e_root/scripts/wine-prefix.sh" "$1" "$prefix"; }
trap 'e2e_clean_prefix end >/dev/null; stop_programs; server stop' EXIT
server start

# A copy of the uninstaller whose fixed file version is MAJOR.MINOR.0.0:
# the version resource's VS_FIXEDFILEINFO, found by its signature, holds
# the file version's two halves 8 bytes after it.
with_version() {  # FILE MAJOR MINOR
  local at
  cp "$uninstaller" "$1"
  at=$(grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -1 | cut -d: -f1)
  printf "\\x$(printf %02x "$3")\\x00\\x$(printf %02x "$2")\\x00\\x00\\x00\\x00\\x00" |
    dd of="$1" bs=1 seek=$((at + 8)) conv=notrunc 2>/dev/null
}
with_version "$out/newer.exe" 9 0
with_version "$out/older.exe" 0 9

payload="$out/payload"
mkdir -p "$payload"
cp "$window_program" "$payload/main.exe"
printf 'Lies mich.\r\n' >"$payload/liesmich.txt"
write_manifest "$out/product.ini" 1.0.0.0 "$key_name" "program = main.exe" "[archive]" "method = lz77"
make_built_medium "$out/medium" "$out/product.ini" "$payload" --uninstaller "$(e2e_winpath "$uninstaller")"
target='C:\Firma\Geteilt\'
installed="$drive_c/Firma/Geteilt"

# --- 1. An older medium over a newer shared uninstaller -------------------
e2e_clean_prefix older
cp "$out/newer.exe" "$shared"
start_installation older "$out/medium" 'C:\Firma\Geteilt'
finish older
expect "older: the newer shared uninstaller stays, nothing beside it or in the target" \
  "same|absent absent" \
  "$(cmp -s "$out/newer.exe" "$shared" && echo same)|$([ -e "$drive_c/windows/stUnInst.new" ] && echo present || echo absent) $([ -e "$installed/stUnInst.exe" ] && echo present || echo absent)"
expect "older: the product is installed and its entry starts the shared uninstaller" \
  "same|UninstallString=C:\\windows\\stUnInst.exe \"${target}UnInstall.log\"" \
  "$(same_files "$payload" "$installed")|$(reg_values "$entry" | grep '^UninstallString=')"
start_from_entry older-removal "$entry"
confirm_and_summarise older-removal "Pelmora E2E 1.0.0.0"
expect "older: the shared uninstaller removes the product" \
  "\"Pelmora E2E 1.0.0.0\" has been removed." "$(head -1 <<<"$summary")"
wait_program "$uninstaller_pid" 20
expect "older: nothing left but the shared uninstaller, still the newer one" "$shared|same" \
  "$(e2e_leftovers | paste -sd' ')|$(cmp -s "$out/newer.exe" "$shared" && echo same)"

# --- 2. A newer medium over an older one; the program started -------------
e2e_clean_prefix newer
cp "$out/older.exe" "$shared"
start_installation newer "$out/medium" 'C:\Firma\Geteilt'
if ui --timeout 60 wait Finished >/dev/null; then
  expect "newer: the program is offered, checked" "1 1" \
    "$(ui dump Finished | sed -n 's/^Button id=602 visible=\([01]\) .*checked=\([01]\) .*/\1 \2/p')"
  ui click Finished "&Finish" >/dev/null
  expect_end newer "the setup ends"
else
  e2e_fail newer "no finished page; windows: $(ui list | tr '\n' ';')"
fi
if ui --timeout 20 wait "$program_window" >/dev/null; then
  e2e_pass "newer: the finished page started the program"
  screenshot newer-program
  ui close "$program_window" >/dev/null
  ui --timeout 10 gone "$program_window" >/dev/null
else
  e2e_fail newer "the program was not started; windows: $(ui list | tr '\n' ';')"
fi
expect "newer: the medium's uninstaller replaced the older shared one" "same|absent" \
  "$(cmp -s "$uninstaller" "$shared" && echo same)|$([ -e "$installed/stUnInst.exe" ] && echo present || echo absent)"

e2e_finish
