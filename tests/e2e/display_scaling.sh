#!/bin/bash
# usage: display_scaling.sh PREFIX INSTALL_EXE PACK_EXE WINTOOL_EXE UNINSTALLER_EXE OUTDIR DPI...
# The wizard on screens scaled to each DPI (Wine's LogPixels, set in PREFIX,
# a prefix of this test's own with its own server; the screen should be
# 1600x1200 so that the largest window fits): every page and both small
# windows, each with the client area of its layout scaled to the DPI, every
# control inside it and no two buttons, edits or bars overlapping. One
# installation with a password carries the walk from the welcome page to
# the finished page; a second start over it (its Uninstall entry) shows the
# existing-installation page and the about box. A screenshot of each window per DPI in OUTDIR
# (DPI-NAME.png).
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/medium.sh"
prefix=$1 install=$2 pack=$3 wintool=$4 uninstaller=$5 out=$6
shift 6
e2e_init "$prefix" "$wintool" "$out"
medium_init "$install" "$pack"
server() { "$e2e_root/scripts/wine-prefix.sh" "$1" "$prefix"; }
trap 'e2e_clean_prefix end >/dev/null; stop_programs; server stop' EXIT

# Wine reads the DPI when a program starts; its desktop, restarted with the
# server, takes the size.
set_dpi() {  # DPI
  local key
  server start
  for key in 'HKCU\Control Panel\Desktop' \
             'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    e2e_wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  done
  e2e_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1600x1200 /f >/dev/null 2>&1
  server stop
  server start
}

# The layout's W and H at the DPI, rounded as the programs round.
scaled() { echo $((($1 * dpi + 48) / 96)); }

# "ok", or what is wrong with the window in $dump: its client size against
# the layout's W x H scaled, visible controls outside the client area,
# visible buttons (not group boxes), edits and bars that overlap.
laid_out() {  # W H
  local width height
  width=$(scaled "$1") height=$(scaled "$2")
  awk -v w="$width" -v h="$height" '
    NR == 1 {
      split($2, c, /[=,]/)
      if (c[2] != w || c[3] != h) problems = problems sprintf(" client %sx%s, not %sx%s;", c[2], c[3], w, h)
      next
    }
    / visible=1 / {
      match($0, /rect=[-0-9]+,[-0-9]+,[-0-9]+,[-0-9]+/)
      split(substr($0, RSTART + 5, RLENGTH - 5), r, ",")
      match($0, /style=[0-9a-f]+/)
      style = substr($0, RSTART + 6, RLENGTH - 6)
      name = $1 " " $2
      if (r[1] < 0 || r[2] < 0 || r[1] + r[3] > w || r[2] + r[4] > h)
        problems = problems " " name " outside;"
      groupbox = ($1 == "Button" && substr(style, length(style)) == "7")
      if (($1 == "Button" && !groupbox) || $1 == "Edit" || $1 == "msctls_progress32") {
        for (i = 1; i <= n; i++)
          if (r[1] < R[i, 3] && R[i, 1] < r[1] + r[3] && r[2] < R[i, 4] && R[i, 2] < r[2] + r[4])
            problems = problems " " name " overlaps " N[i] ";"
        n++; N[n] = name; R[n, 1] = r[1]; R[n, 2] = r[2]; R[n, 3] = r[1] + r[3]; R[n, 4] = r[2] + r[4]
      }
    }
    END { print (problems == "" ? "ok" : substr(problems, 2)) }' <<<"$dump"
}

window() {  # CAPTION W H NAME: waits for the window, checks its layout, screenshot
  if ui --timeout 20 wait "$1" >/dev/null; then
    sleep 0.5  # painted
    dump=$(ui dump "$1")
    expect "$dpi $4: laid out for $dpi DPI" ok "$(laid_out "$2" "$3")"
    screenshot "$dpi-$4"
  else
    e2e_fail "$dpi $4" "no window \"$1\"; windows: $(ui list | tr '\n' ';')"
    screenshot "$dpi-$4-missing"
    return 1
  fi
}
page() {  # CAPTION TITLE_ID TITLE NAME: a wizard page once it shows TITLE
  if ui_wait_line "$1" "id=$2 " 20 && ui_wait_line "$1" "text=$3" 10; then
    window "$1" 496 352 "$4"
  else
    e2e_fail "$dpi $4" "no page \"$3\"; windows: $(ui list | tr '\n' ';')"
    screenshot "$dpi-$4-missing"
    return 1
  fi
}

mkdir -p "$out/payload/hilfe"
printf 'Pelmora Demo\r\n' >"$out/payload/liesmich.txt"
printf 'Hilfe\r\n' >"$out/payload/hilfe/hilfe.txt"
printf 'kein Programm\r\n' >"$out/payload/demo.exe"
cp "$e2e_root/samples/demo/info.txt" "$out/info.txt"
manifest_name="Pelmora Demo" manifest_directory='C:\Programme\Pelmora Demo' \
  write_manifest "$out/scaled.ini" 1.0.0.0 PelmoraE2EScaled "program = demo.exe" \
  "information = info.txt" "[archive]" "password = geheim"
server start
make_built_medium "$out/medium" "$out/scaled.ini" "$out/payload" \
  --uninstaller "$(e2e_winpath "$uninstaller")"

# Both starts at the DPI; the first window missing ends the walk.
walk() {
  start_setup "$dpi-install" "$out/medium"
  page Welcome 200 "Pelmora Demo 1.0.0.0" 1-welcome || return
  ui click Welcome "&Next >" >/dev/null
  page Installation 103 "Important informations" 2-information || return
  ui click Installation "&Next >" >/dev/null
  page Installation 103 "Directory" 3-target || return
  ui click Installation "&Next >" >/dev/null
  # The archive asks for its password over the installation page.
  window "Password neccessary" 189 127 4-password || return
  dump=$(ui dump Installation)
  expect "$dpi 4-installation: laid out for $dpi DPI behind the prompt" ok "$(laid_out 393 128)"
  # Each file asks again, captioned with its name.
  local caption
  for _ in $(seq 20); do
    ui --timeout 1 wait Finished >/dev/null 2>&1 && break
    while IFS= read -r caption; do
      ui --timeout 1 dump "$caption" 2>/dev/null | grep -q "^Edit id=701 " || continue
      ui settext "$caption" 701 geheim >/dev/null
      ui key "$caption" 701 13 >/dev/null
    done < <(ui list | sed -n 's/^pid=[0-9]* class=PelmoraPage caption=//p' | grep -v -x -e Installation -e Welcome)
  done
  page Finished 103 "Application installed" 5-finished || return
  finish "$dpi-install"

  # Over the installation: the same version asks what to repair.
  start_setup "$dpi-again" "$out/medium"
  ui --timeout 30 wait Welcome >/dev/null
  ui click Welcome About >/dev/null
  window Info 298 213 6-about || return
  ui click Info OK >/dev/null
  ui --timeout 10 gone Info >/dev/null
  ui click Welcome "&Next >" >/dev/null
  page Installation 103 "Important informations" 7-information-again || return
  ui click Installation "&Next >" >/dev/null
  page Installation 103 Repair 8-existing-installation || return
  ui press Installation 102 >/dev/null  # Cancel, labelled in German on this page
  expect_end "$dpi-again" "Cancel ends the second start" 7
}

for dpi in "$@"; do
  set_dpi "$dpi"
  e2e_clean_prefix "$dpi"
  walk
  stop_programs
done
e2e_finish
