# Setup media for the end-to-end scripts. Needs lib.sh and e2e_init first.
#
#   medium_init INSTALL_EXE PACK_EXE      # $setup_version: Install.exe's file version
#
# Media as products get them, from the medium builder (pelmora-pack build
# with the Install.exe under test):
#   write_manifest MANIFEST PRODUCT_VERSION KEY [LINE...]
#                                         # [product] with name $manifest_name (Pelmora E2E),
#                                         # the version, the key and the directory
#                                         # $manifest_directory (C:\Programme\Pelmora E2E),
#                                         # then LINEs as they are ("program = x.exe",
#                                         # "uninstaller = no", "[registry]", ...)
#   make_built_medium DIR MANIFEST PAYLOAD [BUILD_OPTION...]
#                                         # fresh DIR: Install.exe, install.pmd, DATA.c00...
#                                         # (installation_run.sh alters copies of one by
#                                         # hand: an entry of an unknown method, damaged data;
#                                         # installation_modes.sh and startup_messages.sh
#                                         # their descriptions, see alter_description)
#   make_single_file DIR MANIFEST PAYLOAD [BUILD_OPTION...]
#                                         # fresh DIR holding the one setup file of
#                                         # build --single-file ([product] setup-file)
#   alter_description DIR FILTER...       # by hand, what the builder refuses to write:
#                                         # DIR's install.pmd decoded, its plain lines
#                                         # (CR LF) passed through the command FILTER,
#                                         # encoded again
#
# Media made by hand, for what the builder refuses to make (a description of
# another version or cut short, a hostile archive entry) and for pages that
# come before the archive is read: a folder with Install.exe, the scrambled
# install.pmd and DATA.c00 (any bytes).
#   write_description PLAIN VERSION PRODUCT_VERSION KEY MAIN_PROGRAM [INFO_LINE...]
#   make_medium DIR [PLAIN]               # fresh DIR with Install.exe, DATA.c00 and,
#                                         # given PLAIN, install.pmd made from it
#   write_setup_description PLAIN VERSION PRODUCT_VERSION KEY MAIN [LINE...]
#                                         # the six fixed lines, then LINEs as they are
#
# Hand-made media that really install, with an archive acetool writes under
# Wine (the way before the builder; make_built_medium is the one to use):
#   medium_use_acetool ACETOOL_EXE
#   make_installable_medium DIR PLAIN PAYLOAD [ACETOOL_OPTION...]
#                                         # make_medium, then DATA.c00 (and, with
#                                         # --volume-size, DATA.c01...) from PAYLOAD's content
#
# Running a setup from such a medium (German with PELMORA_TEST_LANGUAGE_NAME
# set, else English):
#   start_setup NAME MEDIUM               # started; $setup: the program's pid; the
#                                         # program is $setup_program (Install.exe)
#   start_installation NAME MEDIUM TARGET # to the installation page; $setup as above
#   finish NAME                           # the finished page, Finish without starting
#                                         # the program, the program ends
#   expect_end NAME WHAT [CODE]           # the program ends with exit code CODE (0:
#                                         # installed; contract/ExitCodes.h)
#   same_files PAYLOAD FOLDER [FILE...]   # "same" when FILEs (all of PAYLOAD's) are in
#                                         # FOLDER byte for byte, else what differs
#   reg_values KEY                        # the key's values, sorted NAME=DATA lines
#   reg_exists KEY; file_time PATH        # present|absent; touch -t form
#   protocol_of FILE                      # the protocol, date, time and duration masked;
#   protocol_box; protocol_trailer        # its fixed lines
#   protocol_stamps FILE FROM TO          # "fits" when the last block's date, time and
#                                         # duration fit a run between FROM and TO
#   sha256_of FILE                        # its SHA-256, 64 lowercase hex digits
#   link_fields LNK                       # a shortcut's target, description, working
#                                         # folder, arguments and icon, joined by "|"
#   seal_of KEY                           # the seal an elevated setup keeps of the
#                                         # Uninstall entry KEY, below HKLM
#   sealed KEY FILE                       # "sealed" when the Uninstall entry KEY and its
#                                         # seal hold FILE's digest as their
#                                         # ProtocolDigest, else what they hold
#
# Removing an installed product:
#   start_from_entry NAME KEY             # the uninstaller as the Uninstall entry KEY
#                                         # says; $uninstaller_pid
#   confirm_and_summarise NAME CAPTION    # Yes, then the summary; $confirmation,
#                                         # $summary, $progress

medium_init() {
  medium_install=$1 medium_pack=$2
  setup_version=$(sed -n 's/^#define PELMORA_VERSION_STRING "\(.*\)"/\1/p' \
    "$(dirname "$medium_install")/../generated/Version.h")
}

write_description() {
  local plain=$1 version=$2 product=$3 key=$4 main=$5; shift 5
  {
    printf '%s\r\n' "$version" "Pelmora Demo" "$product" "$key" 'C:\Programme\Pelmora Demo' "$main"
    if [ $# -gt 0 ]; then printf '%s\r\n' "<begininfos>" "$@" "<endinfos>"; fi
    printf '%s\r\n' "<beginicons>" "<endicons>"
  } >"$plain"
}

encode_description() {
  e2e_wine "$medium_pack" encode "$(e2e_winpath "$1")" "$(e2e_winpath "$2")" \
    >/dev/null 2>>"$e2e_artefacts/wine.log"
}

make_medium() {
  local dir=$1 plain=${2:-}
  [ -d "$dir" ] && chmod -R u+w "$dir"
  rm -rf "$dir"; mkdir -p "$dir"
  cp "$medium_install" "$dir/Install.exe"
  printf 'not read yet' >"$dir/DATA.c00"
  if [ -n "$plain" ]; then encode_description "$plain" "$dir/install.pmd"; fi
}

write_manifest() {
  local manifest=$1 version=$2 key=$3; shift 3
  printf '%s\n' "[product]" "name = ${manifest_name:-Pelmora E2E}" "version = $version" \
    "uninstall-key = $key" "directory = ${manifest_directory:-C:\Programme\Pelmora E2E}" "$@" \
    | iconv -f CP1252 -t UTF-8 >"$manifest"
}

make_built_medium() {
  local dir=$1 manifest=$2 payload=$3; shift 3
  [ -d "$dir" ] && chmod -R u+w "$dir"
  rm -rf "$dir"
  if ! e2e_wine "$medium_pack" build "$(e2e_winpath "$manifest")" "$(e2e_winpath "$payload")" \
    "$(e2e_winpath "$dir")" --install-exe "$(e2e_winpath "$medium_install")" "$@" \
    >>"$e2e_artefacts/build.out" 2>"$e2e_artefacts/build.err" || [ ! -s "$dir/DATA.c00" ]; then
    echo "pelmora-pack build could not make $dir:" >&2
    cat "$e2e_artefacts/build.err" >&2
    return 1
  fi
}

make_single_file() {
  local dir=$1 manifest=$2 payload=$3; shift 3
  [ -d "$dir" ] && chmod -R u+w "$dir"
  rm -rf "$dir"
  if ! e2e_wine "$medium_pack" build "$(e2e_winpath "$manifest")" "$(e2e_winpath "$payload")" \
    "$(e2e_winpath "$dir")" --install-exe "$(e2e_winpath "$medium_install")" --single-file "$@" \
    >>"$e2e_artefacts/build.out" 2>"$e2e_artefacts/build.err" || [ "$(ls "$dir" | wc -l)" != 1 ]; then
    echo "pelmora-pack build --single-file could not make $dir:" >&2
    cat "$e2e_artefacts/build.err" >&2
    return 1
  fi
}

alter_description() {
  local dir=$1; shift
  e2e_wine "$medium_pack" decode "$(e2e_winpath "$dir/install.pmd")" \
    "$(e2e_winpath "$e2e_artefacts/decoded.txt")" >/dev/null 2>>"$e2e_artefacts/wine.log"
  "$@" <"$e2e_artefacts/decoded.txt" >"$e2e_artefacts/altered.txt"
  encode_description "$e2e_artefacts/altered.txt" "$dir/install.pmd"
}

medium_use_acetool() { medium_acetool=$1; }

write_setup_description() {
  local plain=$1 version=$2 product=$3 key=$4 main=$5; shift 5
  printf '%s\r\n' "$version" "Pelmora E2E" "$product" "$key" 'C:\Programme\Pelmora E2E' "$main" \
    "$@" >"$plain"
}

make_installable_medium() {
  local dir=$1 plain=$2 payload=$3; shift 3
  make_medium "$dir" "$plain"
  rm -f "$dir/DATA.c00"
  if ! e2e_wine "$medium_acetool" c "$(e2e_winpath "$dir/DATA.c00")" "$(e2e_winpath "$payload")" "$@" \
    >>"$e2e_artefacts/acetool.out" 2>>"$e2e_artefacts/wine.log" || [ ! -s "$dir/DATA.c00" ]; then
    echo "acetool could not archive $payload" >&2
    return 1
  fi
}

page_captions() {  # welcome, finished, their Next and Finish buttons
  if [ -n "${PELMORA_TEST_LANGUAGE_NAME:-}" ]; then
    echo "Willkommen|Abgeschlossen|&Weiter >|&Beenden"
  else
    echo "Welcome|Finished|&Next >|&Finish"
  fi
}

start_setup() {
  start_program "$1" "$2/${setup_program:-Install.exe}" "${@:3}"
  setup=$last_pid
}

start_installation() {
  local welcome finished next finish_button
  IFS='|' read -r welcome finished next finish_button <<<"$(page_captions)"
  start_setup "$1" "$2" "${@:4}"
  ui --timeout 30 click "$welcome" "$next" >/dev/null
  ui_wait_line Installation "id=405 " 10
  ui settext Installation 405 "$3" >/dev/null
  ui click Installation "$next" >/dev/null
}

finish() {
  local welcome finished next finish_button
  IFS='|' read -r welcome finished next finish_button <<<"$(page_captions)"
  if ui --timeout 60 wait "$finished" >/dev/null; then
    e2e_pass "$1: the finished page is shown"
  else
    e2e_fail "$1" "no finished page; windows: $(ui list | tr '\n' ';')"
  fi
  screenshot "$1-finished"
  # The program is not started: its box unchecked (the page may check it
  # once more as it comes up).
  local i
  for i in 1 2 3 4 5; do
    ui dump "$finished" | grep -q '^Button id=602 visible=1 .*checked=1' || break
    ui press "$finished" 602 >/dev/null
    sleep 0.5
  done
  ui click "$finished" "$finish_button" >/dev/null
  expect_end "$1" "the program ends"
}

expect_end() {
  wait_program "$setup" 15
  local status=$?
  [ "$status" -eq 124 ] && screenshot "$1-still-running"
  expect "$1: $2 (exit code ${3:-0})" "${3:-0}" "$status"
}

same_files() {
  local payload=$1 folder=$2 f differs="" files; shift 2
  files=("$@")
  [ $# -gt 0 ] || mapfile -t -d '' files < <(cd "$payload" && find . -type f -printf '%P\0')
  for f in "${files[@]}"; do cmp -s "$payload/$f" "$folder/$f" || differs+="differs: $f "; done
  echo "${differs:-same}"
}

# A shortcut file's target (LinkInfo's local path), then its description,
# working folder, arguments and icon (StringData), joined by "|".
link_fields() {
  local file=$1 flags offset info n bit target fields=()
  u16() { od -An -tu2 -j"$1" -N2 "$file" | tr -d ' '; }
  u32() { od -An -tu4 -j"$1" -N4 "$file" | tr -d ' '; }
  flags=$(u32 20) offset=76
  ((flags & 1)) && offset=$((offset + 2 + $(u16 $offset)))
  if ((flags & 2)); then
    info=$offset
    target=$(dd if="$file" bs=1 skip=$((info + $(u32 $((info + 16))))) count=260 2>/dev/null | tr '\0' '\n' | head -1)
    offset=$((offset + $(u32 $offset)))
  fi
  fields+=("${target:-}")
  for bit in 4 16 32 64; do  # description, working folder, arguments, icon
    ((flags & 8)) && [ "$bit" = 16 ] && offset=$((offset + 2 + 2 * $(u16 $offset)))  # relative path
    if ((flags & bit)); then
      n=$(u16 $offset)
      fields+=("$(dd if="$file" bs=1 skip=$((offset + 2)) count=$((2 * n)) 2>/dev/null | iconv -f UTF-16LE -t CP1252 | tr -d '\0')")
      offset=$((offset + 2 + 2 * n))
    else
      fields+=("")
    fi
  done
  (IFS='|'; echo "${fields[*]}")
}

# A registry key's values as "NAME=DATA" lines, sorted.
reg_values() {
  e2e_wine reg query "$1" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    \([^ ].*[^ ]\) \{4\}REG_[A-Z_]* \{4\}\(.*\)$/\1=\2/p' | sort
}
reg_exists() { e2e_wine reg query "$1" >/dev/null 2>&1 && echo present || echo absent; }
file_time() { date -r "$1" +%Y%m%d%H%M.%S 2>/dev/null; }
# The protocol's lines with the date and the duration masked.
protocol_of() {
  tr -d '\r' <"$1" | sed -e 's#^/Date: .* - Time: .*#/Date: DATE - Time: TIME#' \
    -e 's#^/installation duration: .*#/installation duration: DURATION#'
}
protocol_box() { printf '%s\n' '//////////////////////////////////////////
/ UnInstall protocol file DON'"'"'T DELETE!! /
/                                        /
/ If you delete this file, an automatic  /
/ and complete uninstallation of this    /
/ application will get impossible!       /
//////////////////////////////////////////
/Date: DATE - Time: TIME'; }
protocol_trailer() {
  printf '%s\n' "/end of installation" "/File created by Pelmora $setup_version" \
    "/installation duration: DURATION"
}
# The last block's "/Date: <date> - Time: <time>" and "/installation
# duration: <duration>" lines, for a run that started no earlier than FROM
# and ended by TO (host clock, seconds since 1970; a run over midnight
# included): the date and time of a second between the two, in the prefix
# locale's short date and long time formats, and the duration, at most
# TO - FROM seconds, written as the time of day that long after midnight in
# the long time format. The formats are those of Wine's default locale,
# en-US (M/d/yyyy, h:mm:ss tt), which the caller checks. "fits", or the
# lines that do not.
protocol_stamps() {  # FILE FROM TO
  local lines seconds expected line misfits=""
  lines=$(tr -d '\r' <"$1")
  expected=$(for ((seconds = $2; seconds <= $3; seconds++)); do echo "@$seconds"; done |
      date -f - '+/Date: %-m/%-d/%Y - Time: %-I:%M:%S %p'
    for ((seconds = 0; seconds <= $3 - $2; seconds++)); do echo "@$seconds"; done |
      TZ=UTC0 date -f - '+/installation duration: %-I:%M:%S %p')
  for line in "$(grep '^/Date: ' <<<"$lines" | tail -1)" \
    "$(grep '^/installation duration: ' <<<"$lines" | tail -1)"; do
    grep -qxF -- "$line" <<<"$expected" || misfits+="$line|"
  done
  echo "${misfits:-fits}"
}

sha256_of() { sha256sum <"$1" | cut -c1-64; }
# The seal below HKEY_LOCAL_MACHINE that a setup with administrator rights
# (under Wine every setup) keeps of the Uninstall entry KEY (HKCU\... or HKLM\...).
seal_of() {  # KEY
  local root=HKEY_CURRENT_USER
  case $1 in HKLM\\* | HKEY_LOCAL_MACHINE\\*) root=HKEY_LOCAL_MACHINE ;; esac
  echo "HKLM\\Software\\Pelmora\\Seals\\$root\\${1##*\\}"
}
sealed() {  # KEY FILE: in the entry and in its seal
  local recorded seal
  recorded=$(reg_values "$1" | sed -n 's/^ProtocolDigest=//p')
  seal=$(reg_values "$(seal_of "$1")" | sed -n 's/^ProtocolDigest=//p')
  if [ -n "$recorded" ] && [ "$recorded" = "$(sha256_of "$2")" ] && [ "$seal" = "$recorded" ]; then
    echo sealed
  else echo "ProtocolDigest=[$recorded], seal [$seal], the file's $(sha256_of "$2")"; fi
}

# The uninstaller, started as an installed product's Uninstall entry says.
start_from_entry() {  # NAME KEY
  local command program argument
  command=$(reg_values "$2" | sed -n 's/^UninstallString=//p')
  program=${command%% \"*} argument=${command#* \"}
  argument=${argument%\"}
  start_program "$1" "$program" "$argument"
  uninstaller_pid=$last_pid
}
# Answers the confirmation (CAPTION) with Yes; its text in $confirmation,
# the summary's in $summary, the progress window behind it (English
# caption) as wintool dumps it in $progress.
confirm_and_summarise() {  # NAME CAPTION [COMMAND...]: COMMAND runs before the answer
  local i name=$1 caption=$2
  shift 2
  confirmation="" summary="" progress=""
  if ! ui --timeout 30 wait "$caption" >/dev/null; then
    e2e_fail "$name" "no confirmation; windows: $(ui list | tr '\n' ';')"
    return
  fi
  screenshot "$name-confirmation"
  confirmation=$(ui texts "$caption")
  [ $# -gt 0 ] && "$@"
  ui click "$caption" "&Yes" >/dev/null
  for ((i = 0; i < 100; i++)); do
    summary=$(ui --timeout 1 texts "$caption" 2>/dev/null)
    grep -q -e 'has been removed' -e 'wurde .*entfernt' <<<"$summary" && break
    sleep 0.2
  done
  screenshot "$name-summary"
  progress=$(ui --timeout 2 dump Uninstall)
  ui dismiss "$caption" >/dev/null
  summary=${summary//\\r\\n/$'\n'}
}
