# Setup media for the end-to-end scripts: a folder with Install.exe, the
# scrambled install.pmd and DATA.c00 (any bytes: the archive is not read
# before the installation page). Needs lib.sh and e2e_init first.
#
#   medium_init INSTALL_EXE PACK_EXE      # $setup_version: Install.exe's file version
#   write_description PLAIN VERSION PRODUCT_VERSION KEY MAIN_PROGRAM [INFO_LINE...]
#   make_medium DIR [PLAIN]               # fresh DIR with Install.exe, DATA.c00 and,
#                                         # given PLAIN, install.pmd made from it
#   temp_leftovers                        # private library folders left in the prefix's temp
#
# Media that really install, with an archive acetool writes under Wine:
#   medium_use_acetool ACETOOL_EXE
#   write_setup_description PLAIN VERSION PRODUCT_VERSION KEY MAIN [LINE...]
#                                         # the six fixed lines, then LINEs as they are
#   make_installable_medium DIR PLAIN PAYLOAD [ACETOOL_OPTION...]
#                                         # make_medium, then DATA.c00 (and, with
#                                         # --volume-size, DATA.c01...) from PAYLOAD's content

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

temp_leftovers() {
  find "$e2e_prefix/drive_c/users" -maxdepth 6 -name 'PelmoraSetup-*' 2>/dev/null
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
