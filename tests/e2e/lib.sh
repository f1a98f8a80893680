# Shared by the end-to-end scripts: programs under Wine in the test prefix,
# the UI helper wintool, screenshots and the pass/fail count.
#
#   . "$(dirname "$0")/lib.sh"
#   e2e_init PREFIX WINTOOL ARTEFACT_DIR   # empties ARTEFACT_DIR; at exit stops all that start_program started
#   start_program NAME EXE [ARGS...]       # in the background; its Unix pid in $last_pid;
#                                          # German with PELMORA_TEST_LANGUAGE_NAME set
#   ui COMMAND ARGS...                     # wintool; its output without CRs, its exit status
#   ui_wait_line CAPTION TEXT [SECONDS]    # until a line of "ui dump CAPTION" contains TEXT
#   screenshot NAME                        # ARTEFACT_DIR/NAME.png of the whole screen
#   expect NAME EXPECTED ACTUAL; expect_status NAME STATUS COMMAND...; e2e_finish
#   e2e_clean_prefix NAME                  # removes what setups leave, asserts the prefix clean
#   e2e_leftovers                          # what setups left in the prefix, one line each
#   text_of ID; field_of ID FIELD          # a control's text or field in the dump in $dump
#   control_text CAPTION ID                # a control's text in a fresh dump of CAPTION
#
# Texts are Windows-1252 bytes on both sides: give them with printf '\xfc',
# compare wintool's output with such bytes. The script runs in the C locale
# so that bash and grep compare bytes. Wine reads a program's arguments in
# the Unix locale's character set, so the arguments are handed to it in
# UTF-8 under C.UTF-8 and reach the program as the same Windows-1252 bytes.
export LC_ALL=C
e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
e2e_pids=()
e2e_passed=0 e2e_failed=0
last_pid=""

e2e_init() {
  e2e_prefix=$1 e2e_wintool=$2 e2e_artefacts=$3
  # An earlier run's screenshots, logs and media must not pass for this one's
  # (a read-only setup folder among them).
  if [ -d "$e2e_artefacts" ]; then chmod -R u+w "$e2e_artefacts"; rm -rf "${e2e_artefacts:?}"/*; fi
  mkdir -p "$e2e_artefacts"
  trap stop_programs EXIT
}

e2e_winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# Runs a Windows program in the test prefix with its arguments re-encoded.
e2e_wine() {
  local args=() a
  for a in "$@"; do args+=("$(printf '%s' "$a" | iconv -f CP1252 -t UTF-8 2>/dev/null || printf '%s' "$a")"); done
  LC_ALL=C.UTF-8 "$e2e_root/scripts/wine-run.sh" "$e2e_prefix" "${args[@]}"
}

# Wine's programs get files, never this script's pipes: service processes
# started on the way outlive them and would keep a pipe open. With
# PELMORA_TEST_LANGUAGE_NAME set, the program runs as on a Windows whose
# system language has that name (with_language, beside wintool).
start_program() {
  local name=$1; shift
  if [ -n "${PELMORA_TEST_LANGUAGE_NAME:-}" ]; then
    set -- "$(dirname "$e2e_wintool")/with_language.exe" "$PELMORA_TEST_LANGUAGE_NAME" "$@"
  fi
  e2e_wine "$@" >"$e2e_artefacts/$name.out" 2>>"$e2e_artefacts/wine.log" </dev/null &
  last_pid=$!
  e2e_pids+=("$last_pid")
}

# The exit status of a program started here once it has ended, or 124 when
# it is still running after SECONDS.
wait_program() {
  local pid=$1 seconds=${2:-10} i
  for ((i = 0; i < seconds * 10; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return; }
    sleep 0.1
  done
  return 124
}

stop_programs() {
  local pid alive=()
  for pid in "${e2e_pids[@]}"; do
    kill -0 "$pid" 2>/dev/null && { kill "$pid" 2>/dev/null; alive+=("$pid"); }
  done
  for _ in $(seq 30); do
    local left=()
    for pid in "${alive[@]}"; do kill -0 "$pid" 2>/dev/null && left+=("$pid"); done
    [ ${#left[@]} -eq 0 ] && return 0
    sleep 0.1
  done
  kill -9 "${left[@]}" 2>/dev/null
  return 0
}

ui() {
  local out status
  out=$(e2e_wine "$e2e_wintool" "$@" 2>>"$e2e_artefacts/wintool.log")
  status=$?
  [ -n "$out" ] && printf '%s\n' "${out//$'\r'/}"
  return $status
}

ui_wait_line() {
  local caption=$1 text=$2 seconds=${3:-10} i
  for ((i = 0; i < seconds * 5; i++)); do
    ui --timeout 1 dump "$caption" | grep -q -F -- "$text" && return 0
    sleep 0.2
  done
  return 1
}

# A control's text, or one of its fields (visible, enabled, checked, ...),
# in the last dump, kept in $dump.
text_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 .* text=//p" <<<"$dump"; }
field_of() { sed -n "s/^[A-Za-z0-9_]* id=$1 \(.* \)\?$2=\([^ ]*\) .*/\2/p" <<<"$dump"; }
control_text() { ui dump "$1" | sed -n "s/^[A-Za-z0-9_]* id=$2 .* text=//p"; }

screenshot() { import -window root "$e2e_artefacts/$1.png" 2>/dev/null; }

e2e_pass() { echo "ok   $1"; e2e_passed=$((e2e_passed + 1)); }
e2e_fail() { echo "FAIL $1: $2"; e2e_failed=$((e2e_failed + 1)); }

expect() {
  if [ "$2" = "$3" ]; then e2e_pass "$1"; else e2e_fail "$1" "expected [$2], got [$3]"; fi
}

expect_status() {
  local name=$1 wanted=$2; shift 2
  "$@" >/dev/null
  local got=$?
  if [ "$got" -eq "$wanted" ]; then e2e_pass "$name"; else e2e_fail "$name" "exit status $got, expected $wanted"; fi
}

e2e_finish() {
  echo "e2e: $e2e_passed passed, $e2e_failed failed (artefacts in $e2e_artefacts)"
  [ "$e2e_failed" -eq 0 ]
}

# What setups leave in the prefix, so that each scenario starts from a clean
# one (a fresh prefix costs more than ten seconds, cleaning less than one):
# folders on C: besides Wine's own (targets; media stay outside the prefix),
# the test products' keys (all named Pelmora...) under Software and under
# Uninstall, in HKCU and HKLM, Start-menu groups, the uninstaller in the
# Windows folder and the setup's private folders in the temporary folder.
e2e_uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall'
e2e_programs() { echo "$e2e_prefix/drive_c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; }
temp_leftovers() {
  find "$e2e_prefix/drive_c/users" -maxdepth 6 -name 'PelmoraSetup-*' 2>/dev/null
}
# The four keys are listed side by side: each listing is a Wine process.
e2e_test_keys() {
  local lists pids=() root key n=0
  lists=$(mktemp -d)
  for root in HKCU HKLM; do
    for key in Software "$e2e_uninstall_key"; do
      e2e_wine reg query "$root\\$key" >"$lists/$n" 2>/dev/null </dev/null &
      pids+=($!) n=$((n + 1))
    done
  done
  wait "${pids[@]}"
  # The seals an elevated setup keeps below HKLM\Software\Pelmora go with
  # the entries they seal, which are listed; the scenarios that look for a
  # seal name it, and every clean removes them.
  cat "$lists"/[0-3] | tr -d '\r' | grep -i '\\Pelmora[^\\]*$' |
    grep -v -i -x 'HKEY_LOCAL_MACHINE\\Software\\Pelmora'
  rm -rf "$lists"
}
e2e_leftovers() {
  local c="$e2e_prefix/drive_c"
  find "$c" -mindepth 1 -maxdepth 1 ! -name 'Program Files' ! -name 'Program Files (x86)' \
    ! -name ProgramData ! -name users ! -name windows
  find "$(e2e_programs)" -mindepth 1 -maxdepth 1 ! -name 'Administrative Tools' ! -name StartUp 2>/dev/null
  ls -d "$c/windows/stUnInst.exe" 2>/dev/null
  temp_leftovers
  e2e_test_keys
}
e2e_clean_prefix() {
  local line leftovers attempt
  leftovers=$(e2e_leftovers)
  # Tried again: under load a registry command has been seen to return
  # before its key was gone.
  for attempt in 1 2 3; do
    [ -z "$leftovers" ] && break
    while IFS= read -r line; do
      case $line in
      HKEY_*) e2e_wine reg delete "$line" /f >/dev/null 2>&1 ;;
      /*) chmod -R u+w "$line" 2>/dev/null; rm -rf "$line" ;;
      esac
    done <<<"$leftovers"
    leftovers=$(e2e_leftovers)
  done
  e2e_wine reg delete 'HKLM\Software\Pelmora' /f >/dev/null 2>&1
  expect "$1: the prefix is clean" "" "$leftovers"
}
