# Setup media for the end-to-end scripts: a folder with Install.exe, the
# scrambled install.pmd and DATA.c00 (any bytes: the archive is not read
# before the installation page). Needs lib.sh and e2e_init first.
#
#   medium_init INSTALL_EXE PACK_EXE      # $setup_version: Install.exe's file version
#   write_description PLAIN VERSION PRODUCT_VERSION KEY MAIN_PROGRAM [INFO_LINE...]
#   make_medium DIR [PLAIN]               # fresh DIR with Install.exe, DATA.c00 and,
#                                         # given PLAIN, install.pmd made from it
#   temp_leftovers                        # private library folders left in the prefix's temp

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
