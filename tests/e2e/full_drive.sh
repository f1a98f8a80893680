#!/bin/bash
# usage: full_drive.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE STUNINST_EXE OUTDIR
# A target on a drive that fills up during the extraction: a 3 MB tmpfs,
# mounted here (as root) and made drive X: of the test prefix, and a
# product of 6 MB with a key and a shortcut. What the extraction writes
# fills the drive to its last byte, so that the second file fails at its
# first write. The archive's message comes, the status line says that the
# drive is full, Cancel ends the program; nothing is left that cannot be
# removed:
# - without an uninstaller the drive stays full, no protocol can be
#   written and the run takes back what it made (its files, folders, key,
#   shortcut and group): nothing is left on the drive, nothing in the
#   prefix (Cancel closed the wizard, so no error report comes);
# - with one, the uninstaller's move into the Windows folder frees its
#   space, the protocol is written and sealed, and the uninstaller then
#   removes everything but itself.
# Where mounting is not allowed the test is skipped (exit status 77) with
# a message. What is mounted is unmounted by its mount point when the
# script ends, however it ends.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 out=$6
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
drive="$out/drive-x" letter="$prefix/dosdevices/x:"
drive_c="$prefix/drive_c"
key_name=PelmoraE2EFull
mounted=""
release_drive() {
  rm -f "$letter"
  [ -n "$mounted" ] || return 0
  umount "$drive" 2>/dev/null || umount -l "$drive"
  mounted=""
}
trap 'stop_programs; e2e_clean_prefix end >/dev/null; release_drive' EXIT

# Each medium's first entries fill the drive to the page; z.bin (3 MB)
# does not fit at all.
page=4096 pages=768
mkdir -p "$out/payload-bare" "$out/payload-full"
head -c $((pages * page)) /dev/urandom >"$out/payload-bare/a.bin"
uninstaller_pages=$(( ($(stat -c %s "$uninstaller") + page - 1) / page ))
head -c $(( (pages - uninstaller_pages) * page )) /dev/urandom >"$out/payload-full/a.bin"
for kind in bare full; do
  head -c $((3 * 1024 * 1024)) /dev/urandom >"$out/payload-$kind/z.bin"
done
manifest_lines=("program = a.bin" "[registry]" 'key = Software\PelmoraE2E\Voll'
  "[shortcut]" "group = Pelmora Voll" "name = Daten" "target = a.bin" "[archive]" "method = stored")
write_manifest "$out/bare.ini" 1.0.0.0 "$key_name" "uninstaller = no" "${manifest_lines[@]}"
write_manifest "$out/full.ini" 1.0.0.0 "$key_name" "${manifest_lines[@]}"
make_built_medium "$out/medium-bare" "$out/bare.ini" "$out/payload-bare"
make_built_medium "$out/medium-full" "$out/full.ini" "$out/payload-full" \
  --uninstaller "$(e2e_winpath "$uninstaller")"

mkdir -p "$drive"
# A drive root as Windows has it: only its owner may delete what is in it
# (a tmpfs root is everyone's by default, which the elevated setup refuses).
if ! mount -t tmpfs -o size=$((pages * page)),mode=0755 tmpfs "$drive" 2>"$out/mount.err"; then
  echo "skipped: a small drive cannot be mounted here (needs root): $(cat "$out/mount.err")"
  exit 77
fi
mounted=yes
[ -e "$letter" ] && { echo "drive X: is taken in $prefix" >&2; exit 1; }
ln -s "$drive" "$letter"
on_drive() { (cd "$drive" && find . -mindepth 1 | sort | paste -sd' '); }

# Up to the end of the setup: the message, the status line, Cancel.
fill_up() {  # NAME MEDIUM
  start_installation "$1" "$2" 'X:\Firma\Voll'
  ui --timeout 60 wait "Error!" >/dev/null || e2e_fail "$1" "no message; windows: $(ui list | tr '\n' ';')"
  screenshot "$1-message"
  expect "$1: the archive's message" "Error Code 12" "$(ui dismiss "Error!")"
  ui_wait_line Installation "id=808 visible=1" 10
  dump=$(ui dump Installation)
  screenshot "$1-status"
  expect "$1: the status line names the full drive, Cancel shown" \
    "The installation failed: the drive is full.|1" "$(text_of 804)|$(field_of 808 visible)"
  ui click Installation Cancel >/dev/null
}

e2e_clean_prefix bare
fill_up bare "$out/medium-bare"
expect_end bare "the program ends, nothing to remove" 9
expect "bare: the run took back all it made: nothing on the drive, nothing in the prefix" \
  "|" "$(on_drive)|$(e2e_leftovers)"

e2e_clean_prefix full
fill_up full "$out/medium-full"
expect_end full "the program ends, removable" 8
expect "full: left: the unpacked file and the sealed protocol on the drive, the entry" \
  "./Firma ./Firma/Voll ./Firma/Voll/UnInstall.Log ./Firma/Voll/a.bin|sealed" \
  "$(on_drive)|$(sealed "HKCU\\$e2e_uninstall_key\\$key_name" "$drive/Firma/Voll/UnInstall.Log")"
start_from_entry full-removal "HKCU\\$e2e_uninstall_key\\$key_name"
confirm_and_summarise full-removal "Pelmora E2E 1.0.0.0"
wait_program "$uninstaller_pid" 20
expect "full-removal: the uninstaller removes it all: nothing on the drive, nothing in the prefix but itself" \
  "|$drive_c/windows/stUnInst.exe" "$(on_drive)|$(e2e_leftovers)"

e2e_finish
