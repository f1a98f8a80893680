#!/bin/bash
# Benchmark (not a test): installing and removing under Wine, our shipped
# 32-bit programs against an NSIS setup of the same files and against
# extracting our archive with acetool, side by side.
#
# Installation: a product of BENCH_INSTALL_MB (default 200) MiB in
# BENCH_INSTALL_FILES (default 5000) files (bench/make-product-payload.sh)
# becomes our medium (`pelmora-pack build`, the i686 Install.exe, ACE 2.0
# solid level 5, the uninstaller in the archive) and an NSIS setup.exe
# (bench/lib.sh's write_nsis_script: LZMA solid, the same files, its
# uninstaller, entry and shortcut). BENCH_ROUNDS (default 5) rounds, the
# measurements taking turns in an order that rotates from round to round,
# time:
#   - NSIS: `setup.exe /S /D=C:\BenchNsis`, from its start to its end;
#   - ours: the wizard driven by wintool; from the return of the click on
#     Next of the target page to the finished page, less the page's
#     one-second start delay; and the whole run, from the program's start
#     to its end, with wintool's clicks in between;
#   - `acetool x` (i686) of the same DATA.c00, from its start to its end.
# Removal: for each count in BENCH_REMOVAL_FILES (default "2000 16000") a
# product of that many small files (BENCH_REMOVAL_MB MiB each 1,000 files,
# default 0.5: about 520 bytes a file) is installed by our setup as above
# and removed by our uninstaller, started as its Uninstall entry's
# UninstallString says, from the return of the click on Yes in its
# confirmation to its summary; and, for reference, by NSIS
# (`setup.exe /S`, then `uninstall.exe /S _?=C:\BenchNsis`, which removes
# in place and waits; it leaves itself and the folder).
#
# The programs measured are those of BENCH_WIN32 (default build/win32).
# BENCH_BEFORE names a second build folder (an earlier state) whose setup,
# uninstaller and acetool are measured in the same rounds, taking turns with
# the first, so that both meet the same load of the machine; its
# installation medium is the first one's with its own Install.exe (the
# archive, the uninstaller in it included, is the same).
# The medians count; the programs and media live outside the prefix (Z:).
# Every measurement starts in the same prefix cleaned to the same state
# (tests/e2e/lib.sh's e2e_clean_prefix: the targets, the keys, the Start
# menu and the uninstaller in the Windows folder gone, checked).
#
# usage: bench/install-speed.sh [install|removal]...   (default both; needs
# make host win32 and makensis; BENCH_WORK sets the scratch folder, default
# build/bench-install)
set -euo pipefail
# The wizard needs a screen; without one, a private virtual screen.
[ -n "${DISPLAY:-}" ] || exec "$(dirname "$0")/../scripts/with-display.sh" "$0" "$@"
. "$(dirname "$0")/lib.sh"
pack="$repo/build/host/tools/pelmora-pack/pelmora-pack"
work="${BENCH_WORK:-$repo/build/bench-install}"
mb=${BENCH_INSTALL_MB:-200} files=${BENCH_INSTALL_FILES:-5000} rounds=${BENCH_ROUNDS:-5}
removal_counts=${BENCH_REMOVAL_FILES:-2000 16000}
removal_mb_per_1000=${BENCH_REMOVAL_MB:-0.5}
builds=("${BENCH_WIN32:-$repo/build/win32}")
labels=(now)
if [ -n "${BENCH_BEFORE:-}" ]; then builds+=("$BENCH_BEFORE"); labels+=(before); fi
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(install removal)
require "make host" "$pack"
for w32 in "${builds[@]}"; do
  require "make win32" "$w32/app/Install.exe" "$w32/uninstall/stUnInst.exe" \
    "$w32/tools/acetool/acetool.exe" "$w32/tools/acetool/UnACE.dll" "$w32/tests/uia/wintool.exe"
done
need_package makensis nsis

rm -rf "$work"; mkdir -p "$work"
prefix="$work/prefix"
. "$repo/tests/e2e/lib.sh"
. "$repo/tests/e2e/medium.sh"
"$repo/scripts/wine-prefix.sh" start "$prefix"
trap '"$repo/scripts/wine-prefix.sh" stop "$prefix"' EXIT
e2e_init "$prefix" "${builds[0]}/tests/uia/wintool.exe" "$work/artefacts"
trap 'stop_programs; "$repo/scripts/wine-prefix.sh" stop "$prefix"' EXIT
unset PELMORA_TEST_LANGUAGE_NAME
product="Pelmora Bench" nsis_label="Pelmora Bench Nsis" key=PelmoraBench
ours_target='C:\Bench' nsis_target='C:\BenchNsis'

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" -v less="${3:-0}" 'BEGIN { printf "%.2f", b - a - less }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
  printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
clean() { e2e_clean_prefix "$1" | grep -v '^ok ' || true; }
# Files below a folder of the prefix and their bytes, "N files, B bytes".
contents() {
  find "$1" -type f ! -iname UnInstall.log ! -iname uninstall.exe -printf '%s\n' 2>/dev/null |
    awk '{ n++; s += $1 } END { printf "%d files, %d bytes", n, s }'
}
# "a b c" turned by N places: the order of a round's measurements.
rotated() {
  local n=$1 items=("${@:2}")
  local count=${#items[@]} i
  for ((i = 0; i < count; i++)); do printf '%s ' "${items[(i + n) % count]}"; done
}

# make_media DIR MB FILES [full]: DIR/payload, NSIS's DIR/nsis/setup.exe and
# our medium DIR/medium-I for each build I; "full" packs each build's medium
# with its own uninstaller, else the second build's is the first's with its
# own Install.exe.
make_media() {
  local dir=$1 size=$2 count=$3 full=${4:-} i
  mkdir -p "$dir/nsis"
  "$here/make-product-payload.sh" "$dir/payload" "$size" "$count"
  cat >"$dir/product.ini" <<INI
[product]
name = $product
version = 1.0.0.0
uninstall-key = $key
directory = $ours_target
[archive]
method = ace20
level = 5
solid = yes
INI
  for i in "${!builds[@]}"; do
    if [ "$i" -gt 0 ] && [ -z "$full" ]; then
      cp -r "$dir/medium-0" "$dir/medium-$i"
      cp "${builds[i]}/app/Install.exe" "$dir/medium-$i/Install.exe"
      continue
    fi
    nice "$pack" build "$dir/product.ini" "$dir/payload" "$dir/medium-$i" --quiet \
      --install-exe "${builds[i]}/app/Install.exe" \
      --uninstaller "${builds[i]}/uninstall/stUnInst.exe" >"$dir/pack.log" 2>&1 ||
      { cat "$dir/pack.log" >&2; die "pelmora-pack build failed"; }
  done
  write_nsis_script "$nsis_label" "$dir/payload" "$dir/nsis"
  nice makensis -V2 "$dir/nsis/setup.nsi" >"$dir/nsis/makensis.log" 2>&1 ||
    { cat "$dir/nsis/makensis.log" >&2; die "makensis failed"; }
  payload_contents=$(contents "$dir/payload")
}

# Our setup through its wizard into $ours_target. Sets install_seconds (Next
# on the target page to the finished page, less the start delay) and
# whole_seconds (start to end).
run_ours() {
  local medium=$1 start clicked finished
  start=$(now)
  start_program setup "$medium/Install.exe"
  local setup_pid=$last_pid
  ui --timeout 60 click Welcome "&Next >" >/dev/null || die "no welcome page"
  ui_wait_line Installation "id=405 " 20 || die "no target page"
  ui settext Installation 405 "$ours_target" >/dev/null
  ui click Installation "&Next >" >/dev/null
  clicked=$(now)
  ui --timeout 3600 wait Finished >/dev/null || die "no finished page"
  finished=$(now)
  ui click Finished "&Finish" >/dev/null
  wait_program "$setup_pid" 60 || die "the setup did not end"
  install_seconds=$(seconds "$clicked" "$finished" 1)
  whole_seconds=$(seconds "$start" "$(now)")
  [ "$(contents "$prefix/drive_c/Bench")" = "$payload_contents" ] ||
    die "our setup installed $(contents "$prefix/drive_c/Bench"), not $payload_contents"
}

run_nsis() {
  local setup=$1 start
  start=$(now)
  e2e_wine "$setup" /S "/D=$nsis_target" >/dev/null 2>>"$e2e_artefacts/wine.log" </dev/null
  nsis_seconds=$(seconds "$start" "$(now)")
  [ "$(contents "$prefix/drive_c/BenchNsis")" = "$payload_contents" ] ||
    die "NSIS installed $(contents "$prefix/drive_c/BenchNsis"), not $payload_contents"
}

run_acetool() {
  local w32=$1 archive=$2 start
  start=$(now)
  e2e_wine "$w32/tools/acetool/acetool.exe" x "$archive" 'C:\Extract' --quiet >/dev/null \
    2>>"$e2e_artefacts/wine.log" </dev/null || die "acetool x failed"
  acetool_seconds=$(seconds "$start" "$(now)")
  # The payload and the uninstaller the archive carries.
  [ "$(contents "$prefix/drive_c/Extract" | cut -d' ' -f1)" -gt "${payload_contents%% *}" ] ||
    die "acetool x extracted $(contents "$prefix/drive_c/Extract"), the payload is $payload_contents"
}

# Our uninstaller as the entry says, Yes, then the summary. Sets remove_seconds.
remove_ours() {
  local entry command="" program argument clicked done caption="$product 1.0.0.0"
  for entry in "HKLM\\$e2e_uninstall_key\\$key" "HKCU\\$e2e_uninstall_key\\$key"; do
    command=$(reg_values "$entry" | sed -n 's/^UninstallString=//p' || true)
    [ -n "$command" ] && break
  done
  [ -n "$command" ] || die "no Uninstall entry $key"
  program=${command%% \"*} argument=${command#* \"}
  argument=${argument%\"}
  start_program uninstall "$program" "$argument"
  local uninstaller_pid=$last_pid
  # Captioned with the entry's DisplayName: the product's name and version.
  ui --timeout 60 click "$caption" "&Yes" >/dev/null || die "no confirmation"
  clicked=$(now)
  # The progress window comes after the confirmation has gone: the next
  # window with the product's caption is the summary.
  ui --timeout 3600 wait Uninstall >/dev/null || die "no progress window"
  ui --timeout 3600 wait "$caption" >/dev/null || die "no summary"
  done=$(now)
  ui dismiss "$caption" >/dev/null
  wait_program "$uninstaller_pid" 60 || die "the uninstaller did not end"
  remove_seconds=$(seconds "$clicked" "$done")
  [ ! -e "$prefix/drive_c/Bench" ] || die "the uninstaller left $(contents "$prefix/drive_c/Bench")"
}

remove_nsis() {
  local start
  start=$(now)
  e2e_wine "$prefix/drive_c/BenchNsis/uninstall.exe" /S "_?=$nsis_target" >/dev/null \
    2>>"$e2e_artefacts/wine.log" </dev/null
  nsis_remove_seconds=$(seconds "$start" "$(now)")
  [ "$(contents "$prefix/drive_c/BenchNsis")" = "0 files, 0 bytes" ] ||
    die "NSIS's uninstaller left $(contents "$prefix/drive_c/BenchNsis")"
}

installation_part() {
  local dir="$work/install" round turn i
  local nsis=() ours_0=() ours_1=() whole_0=() whole_1=() extract_0=() extract_1=() turns=(nsis)
  for i in "${!builds[@]}"; do turns+=("ours-$i" "acetool-$i"); done
  echo "install-speed: $files files, $mb MiB"
  make_media "$dir" "$mb" "$files"
  echo "install-speed: our medium $(du -cb "$dir/medium-0"/* | tail -1 | cut -f1) bytes, NSIS setup.exe $(stat -c %s "$dir/nsis/setup.exe") bytes"
  clean start
  for round in $(seq "$rounds"); do
    for turn in $(rotated "$((round - 1))" "${turns[@]}"); do
      i=${turn#*-}
      case $turn in
      nsis) run_nsis "$dir/nsis/setup.exe"; nsis+=("$nsis_seconds") ;;
      ours-*)
        run_ours "$dir/medium-$i"
        eval "ours_$i+=(\"\$install_seconds\") whole_$i+=(\"\$whole_seconds\")" ;;
      acetool-*)
        run_acetool "${builds[i]}" "$(e2e_winpath "$dir/medium-$i/DATA.c00")"
        eval "extract_$i+=(\"\$acetool_seconds\")" ;;
      esac
      clean "round $round, $turn"
    done
    printf 'round %d: NSIS %s s' "$round" "${nsis[-1]}"
    for i in "${!builds[@]}"; do
      eval "printf '; %s: ours %s s (whole run %s s), acetool x %s s' \"${labels[i]}\" \
        \"\${ours_$i[-1]}\" \"\${whole_$i[-1]}\" \"\${extract_$i[-1]}\""
    done
    echo
  done
  local n o w x
  n=$(median "${nsis[@]}")
  echo
  echo "Installation, $files files, $mb MiB (medians of $rounds, seconds):"
  printf '  %-8s %10s %12s %10s %10s %12s %10s\n' build NSIS ours "whole run" "acetool x" \
    "ours/acetool" "ours/NSIS"
  for i in "${!builds[@]}"; do
    eval "o=\$(median \"\${ours_$i[@]}\") w=\$(median \"\${whole_$i[@]}\") x=\$(median \"\${extract_$i[@]}\")"
    printf '  %-8s %10s %12s %10s %10s %12s %10s\n' "${labels[i]}" "$n" "$o" "$w" "$x" \
      "$(ratio "$o" "$x")" "$(ratio "$o" "$n")"
  done
  echo "  (ours: Next on the target page to the finished page, less its start delay;"
  echo "   goals: ours/acetool at most 1.2, ours/NSIS at most 0.5)"
}

removal_part() {
  local count dir round size turn i lines=()
  for count in $removal_counts; do
    dir="$work/removal-$count"
    size=$(awk -v c="$count" -v m="$removal_mb_per_1000" 'BEGIN { printf "%d", c * m / 1000 + 0.5 }')
    [ "$size" -ge 1 ] || size=1
    echo "install-speed: removal of $count files, $size MiB"
    make_media "$dir" "$size" "$count" full
    local installs_0=() installs_1=() removes_0=() removes_1=() nsis_installs=() nsis_removes=()
    local turns=(nsis)
    for i in "${!builds[@]}"; do turns+=("ours-$i"); done
    clean start
    for round in $(seq "$rounds"); do
      for turn in $(rotated "$((round - 1))" "${turns[@]}"); do
        i=${turn#*-}
        case $turn in
        nsis)
          run_nsis "$dir/nsis/setup.exe"; nsis_installs+=("$nsis_seconds")
          remove_nsis; nsis_removes+=("$nsis_remove_seconds") ;;
        ours-*)
          run_ours "$dir/medium-$i"; eval "installs_$i+=(\"\$install_seconds\")"
          remove_ours; eval "removes_$i+=(\"\$remove_seconds\")" ;;
        esac
        clean "removal $count, round $round, $turn"
      done
      printf 'round %d: NSIS installed in %s s, removed in %s s' "$round" "${nsis_installs[-1]}" \
        "${nsis_removes[-1]}"
      for i in "${!builds[@]}"; do
        eval "printf '; %s: installed in %s s, removed in %s s' \"${labels[i]}\" \
          \"\${installs_$i[-1]}\" \"\${removes_$i[-1]}\""
      done
      echo
    done
    for i in "${!builds[@]}"; do
      local installed removed
      eval "installed=\$(median \"\${installs_$i[@]}\") removed=\$(median \"\${removes_$i[@]}\")"
      lines+=("$(printf '  %-8s %-8s %10s %10s %8s %12s %12s' "$count" "${labels[i]}" "$installed" \
        "$removed" "$(ratio "$removed" "$installed")" "$(median "${nsis_installs[@]}")" \
        "$(median "${nsis_removes[@]}")")")
    done
  done
  echo
  echo "Removal (medians of $rounds, seconds; goal: ours removed / installed at most 1):"
  printf '  %-8s %-8s %10s %10s %8s %12s %12s\n' files build installed removed ratio \
    "NSIS setup" "NSIS uninst"
  printf '%s\n' "${lines[@]}"
}

for part in "${parts[@]}"; do
  case $part in
  install) installation_part ;;
  removal) removal_part ;;
  *) die "unknown part $part (install, removal)" ;;
  esac
done
