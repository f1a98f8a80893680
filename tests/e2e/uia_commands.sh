#!/bin/bash
# usage: uia_commands.sh PREFIX WINTOOL UIA_TARGET OUTDIR
# The UI helper against a window of every kind of control the setup program
# shows: each command once, its output and exit status, and what the window
# itself reports about the action. Screenshots are left in OUTDIR.
set -u
. "$(dirname "$0")/lib.sh"
prefix=$1 wintool=$2 target=$3 out=$4
e2e_init "$prefix" "$wintool" "$out"
rm -f "$out"/*.png "$out"/*.log "$out"/*.out
trap 'e2e_clean_prefix end >/dev/null; stop_programs' EXIT
e2e_clean_prefix start

# Folders on C:, each listed once before the dialog opens. The folder
# dialog finds a path by comparing each folder's entry, times included;
# the first listing of a new folder changes its access time (relatime), so
# a folder nobody had read yet was not found.
folders="$prefix/drive_c/pelmora-uia"
mkdir -p "$folders/Vorgabe/Unter" "$folders/Ziel $(printf '\xfc' | iconv -f CP1252 -t UTF-8)"
ls -R "$folders" >/dev/null
u=$(printf '\xfc') U=$(printf '\xdc') ae=$(printf '\xe4')
caption="Pr${u}fling"
start_program target "$target" 'C:\pelmora-uia\Vorgabe'
target_pid=$last_pid

expect_status "wait: the window appears" 0 ui wait "$caption"
expect_status "wait: a caption matches whole or not at all" 1 ui --timeout 1 wait "Pr"
expect_status "wait: --class must match as well" 1 ui --timeout 1 --class Edit wait "$caption"
expect_status "usage: unknown command" 2 ui frobnicate "$caption"
expect_status "usage: a control id is a number" 2 ui settext "$caption" abc x
expect_status "usage: character code 0" 2 ui key "$caption" 107 0

# dump: window line, then the controls in the order they were created.
dump=$(ui dump "$caption")
screenshot window
has_line() {  # NAME LINE: the last dump holds LINE exactly
  if grep -q -x -F -- "$2" <<<"$dump"; then e2e_pass "$1"; else e2e_fail "$1" "no line [$2] in:
$dump"; fi
}
expect "dump: window line" "sysmenu=1 screen=40,30,420,330" \
  "$(sed -n '1s/^window client=[0-9]*,[0-9]* \(.*\) focus=[0-9]*$/\1/p' <<<"$dump")"
expect "dump: one line per control" 14 "$(wc -l <<<"$dump")"
expect "dump: Z order" "Button id=101 ... Static id=204" \
  "$(sed -n 2p <<<"$dump" | cut -d' ' -f1,2) ... $(tail -n 1 <<<"$dump" | cut -d' ' -f1,2)"
has_line "dump: default button" "Button id=101 visible=1 enabled=1 checked=0 rect=300,260,90,24 style=50010001 text=&Weiter >"
has_line "dump: disabled button" "Button id=102 visible=1 enabled=0 checked=0 rect=200,260,90,24 style=58000000 text=< &Zur${u}ck"
has_line "dump: checked radio" "Button id=105 visible=1 enabled=1 checked=1 rect=20,60,180,20 style=50030009 text=&Vollst${ae}ndig"
has_line "dump: edit" "Edit id=107 visible=1 enabled=1 checked=- rect=10,120,280,22 style=50010080 text=C:\\Programme"

winpid=$(ui pid "$caption")
expect "pid: the window's own process id" "Static id=204 $winpid" \
  "$(grep '^Static id=204 ' <<<"$dump" | sed 's/ visible.*text=/ /')"

# Each action's effect is visible to the very next command.
status_is() {  # NAME TEXT: the target's status line
  expect "$1" "$2" "$(ui dump "$caption" | sed -n "s/^Static id=$3 .* text=//p")"
}
expect_status "click: push button" 0 ui click "$caption" "&Weiter >"
status_is "click: the owner got BN_CLICKED" "Weiter gedr${u}ckt" 201
expect_status "click: a disabled button is refused" 3 ui click "$caption" "< &Zur${u}ck"
expect_status "click: no such button" 1 ui --timeout 1 click "$caption" "Weiter >"
status_is "click: the disabled button did nothing" "Weiter gedr${u}ckt" 201
expect_status "click: check box" 0 ui click "$caption" "Desktop-&Verkn${u}pfung"
expect_status "click: radio button" 0 ui click "$caption" "&Benutzerdefiniert"
dump=$(ui dump "$caption")
expect "click: check box and radio buttons changed" "103=1 105=0 106=1" \
  "$(for id in 103 105 106; do printf '%s ' "$id=$(sed -n "s/^Button id=$id .* checked=\([0-9]\) .*/\1/p" <<<"$dump")"; done | sed 's/ $//')"

new_path="D:\\Spiele\\${U}ber"
expect_status "settext: edit" 0 ui settext "$caption" 107 "$new_path"
dump=$(ui dump "$caption")
has_line "settext: the edit shows the text" "Edit id=107 visible=1 enabled=1 checked=- rect=10,120,280,22 style=50010080 text=$new_path"
has_line "settext: the owner got EN_CHANGE" "Static id=202 visible=1 enabled=1 checked=- rect=10,175,380,20 style=50000000 text=$new_path"
expect_status "settext: a static is no edit" 3 ui settext "$caption" 201 x
expect_status "key: Enter" 0 ui key "$caption" 107 13
status_is "key: the edit got WM_CHAR 13" "Eingabe: $new_path" 201

expect_status "click: opens a message box" 0 ui click "$caption" "&Meldung"
expect "texts: the message box" "Eine Meldung\\r\\n${u}ber zwei Zeilen" "$(ui texts Hinweis)"
screenshot message-box
expect_status "click: refused while the message box is open" 3 ui click "$caption" "&Weiter >"
expect "dismiss: prints the texts" "Eine Meldung\\r\\n${u}ber zwei Zeilen" "$(ui dismiss Hinweis)"
expect_status "gone: the message box" 0 ui gone Hinweis
status_is "dismiss: MessageBox returned" "Meldung best${ae}tigt" 201

expect_status "click: opens the folder dialog" 0 ui click "$caption" "&Durchsuchen..."
expect "folder --print: the preselection" 'C:\pelmora-uia\Vorgabe' "$(ui folder --print)"
screenshot folder-dialog
expect_status "folder: a missing folder is refused" 3 ui folder 'C:\pelmora-uia\Nichtda'
expect_status "folder: select and OK" 0 ui folder "C:\\pelmora-uia\\Ziel ${u}"
status_is "folder: the program got the path" "C:\\pelmora-uia\\Ziel ${u}" 203
ui click "$caption" "&Durchsuchen..."
expect_status "folder --cancel" 0 ui folder --cancel
status_is "folder: the program saw the cancel" "abgebrochen" 203

expect_status "gone: not while the window is shown" 1 ui --timeout 1 gone "$caption"
expect_status "close: the close box" 0 ui close "$caption"
expect_status "gone: the closed window" 0 ui gone "$caption"
wait_program "$target_pid" 10
expect "close: the program ended by itself" 0 $?
expect_status "wait: a window that is gone" 1 ui --timeout 1 wait "$caption"

e2e_finish
