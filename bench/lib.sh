# shellcheck shell=bash
# What the benchmark scripts share; sourced first thing, after `set -euo pipefail`.
#   $here, $repo          the bench folder and the repository
#   die MESSAGE           stops, the script's name in front
#   require HINT FILE...  stops at the first FILE missing, naming HINT (how to make it)
#   need_package COMMAND PACKAGE
#                         installs Debian's PACKAGE when COMMAND is missing and we are
#                         root, else stops
#   write_nsis_script LABEL PAYLOAD DIR
#                         DIR/setup.nsi: the NSIS setup the benchmarks hold ours against
here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
repo=$(dirname "$here")

die() { echo "$(basename "$0" .sh): $*" >&2; exit 1; }

require() {
  local hint=$1 file; shift
  for file; do [ -e "$file" ] || die "$file is missing ($hint)"; done
}

need_package() {
  local command=$1 package=$2
  command -v "$command" >/dev/null && return
  [ "$(id -u)" -eq 0 ] || die "$command is missing (apt-get install $package)"
  apt-get install -y -qq "$package" >/dev/null 2>&1 \
    || { apt-get update -qq && apt-get install -y -qq "$package" >/dev/null; }
}

# write_nsis_script LABEL PAYLOAD DIR: DIR/setup.nsi, making DIR/setup.exe:
# `SetCompressor /SOLID lzma`, a directory page, the files page, `File /r`
# of PAYLOAD, an uninstaller written with `WriteUninstaller` (it removes the
# files, the shortcut and the entry), the Uninstall entry and a Start-menu
# shortcut. An empty PAYLOAD makes the setup without files: what NSIS itself
# weighs.
write_nsis_script() {
  local label=$1 payload=$2 dir=$3 files=""
  [ -n "$payload" ] && files="File /r \"$payload/*\""
  cat >"$dir/setup.nsi" <<NSI
Name "$label"
OutFile "$dir/setup.exe"
InstallDir "\$PROGRAMFILES\\$label"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
Section
  SetOutPath "\$INSTDIR"
  $files
  WriteUninstaller "\$INSTDIR\\uninstall.exe"
  CreateDirectory "\$SMPROGRAMS\\$label"
  CreateShortCut "\$SMPROGRAMS\\$label\\$label.lnk" "\$INSTDIR\\uninstall.exe"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$label" "DisplayName" "$label"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$label" "UninstallString" '"\$INSTDIR\\uninstall.exe"'
SectionEnd
Section "Uninstall"
  Delete "\$SMPROGRAMS\\$label\\$label.lnk"
  RMDir "\$SMPROGRAMS\\$label"
  DeleteRegKey HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$label"
  RMDir /r "\$INSTDIR"
SectionEnd
NSI
}
