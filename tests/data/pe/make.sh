#!/bin/bash
# Remakes the small programs that the file-version reader is tested on:
# one with a version resource (file version 3.14.15.926) per architecture
# and one without. They do nothing when started.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/v.rc" <<'RC'
#include <winver.h>
1 VERSIONINFO
FILEVERSION 3,14,15,926
PRODUCTVERSION 9,8,7,6
FILEOS VOS__WINDOWS32
FILETYPE VFT_APP
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040704E4"
    BEGIN
      VALUE "FileVersion", "3.14.15.926"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0407, 1252
  END
END
RC
echo 'int WinMainCRTStartup(void) { return 0; }' > "$work/m.c"
i686-w64-mingw32-windres "$work/v.rc" -o "$work/v32.o"
i686-w64-mingw32-gcc -Os -s -nostdlib -o version-i686.exe "$work/m.c" "$work/v32.o" \
  -Wl,-e,_WinMainCRTStartup -Wl,--subsystem,windows
x86_64-w64-mingw32-windres "$work/v.rc" -o "$work/v64.o"
x86_64-w64-mingw32-gcc -Os -s -nostdlib -o version-x86_64.exe "$work/m.c" "$work/v64.o" \
  -Wl,-e,WinMainCRTStartup -Wl,--subsystem,windows
x86_64-w64-mingw32-gcc -Os -s -nostdlib -o noversion-x86_64.exe "$work/m.c" -Wl,-e,WinMainCRTStartup
