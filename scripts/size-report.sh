#!/bin/bash
# usage: size-report.sh [BUILD_DIR]   (make size; BUILD_DIR defaults to build/win32)
# For each shipped file of an i686 build: its size, its sections, and the 25
# largest contributors by the linker's map (FILE.map, written beside each
# file by cmake/Shipped.cmake): object files and library members, then
# single input sections (one per function or data object, as the build
# compiles with -ffunction-sections -fdata-sections). Debug sections and
# discarded input sections are not counted.
set -eu
export LC_ALL=C
build=${1:-build/win32}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
demangle=${CXXFILT:-c++filt}
top=25
# mawk (Debian's default awk) has no strtonum.
hex_awk='function hex(s,  v, i) { v = 0; s = tolower(s); sub(/^0x/, "", s)
  for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
  return v }'

# The map's memory part as lines "OUTPUT_SECTION INPUT_SECTION SIZE FILE".
# GNU ld puts an input section's address, size and file on the line of its
# name, or, when the name is long, on the next line alone.
input_sections() {
  awk "$hex_awk"'
    /^Linker script and memory map/ { inmap = 1; next }
    !inmap { next }
    /^[^ ]/ { out = ($1 ~ /^\./) ? $1 : ""; pending = ""; next }
    out == "" || out ~ /^\.(z?debug|stab)/ { next }
    /^ [^ ]/ {
      if ($1 ~ /^\*/ && $1 != "*fill*") { pending = ""; next }
      if (NF == 1) { pending = $1; next }
      # The base relocations, which ld makes itself ("dll stuff").
      if ($1 == ".reloc" && $4 == "dll") $4 = "(relocations)"
      if ($2 ~ /^0x/ && $3 ~ /^0x/) emit($1, $3, NF >= 4 ? $4 : "(linker)")

      pending = ""; next
    }
    /^  +0x[0-9a-f]+ +0x[0-9a-f]+/ {
      if (pending != "") emit(pending, $2, $3)
      else emit("(linker data)", $2, "(linker-script)")
      pending = ""; next
    }
    function emit(name, size, file) {
      size = hex(size)
      if (name == "*fill*") file = "(alignment)"
      if (size > 0) print out, name, size, file
    }'
}

report() {
  local file=$1 map=$1.map name
  name=$(basename "$file")
  if [ ! -f "$file" ] || [ ! -f "$map" ]; then
    echo "$file or its map $map is missing (build the $build preset first)" >&2
    return 1
  fi
  local sections
  sections=$(input_sections <"$map" | awk '{ $4 = $4; n = split($4, p, "/"); f = p[n]
      sub(/^objects\.a\(/, "", f); if (f != p[n]) sub(/\)$/, "", f)
      # The import stubs of one system library count as that library.
      if (f ~ /^lib[a-z0-9_]+\.a\(/ && f ~ /\((d[0-9]+|lib[a-z0-9_]+[hst][0-9]*)\.o\)$/) sub(/\(.*/, " (imports)", f)
      print $1, $2, $3, f }')

  printf '\n== %s: %d bytes\n\n' "$name" "$(stat -c %s "$file")"
  printf '%-10s %10s\n' section bytes
  "$objdump" -h "$file" | awk "$hex_awk"'$1 ~ /^[0-9]+$/ { printf "%-10s %10d\n", $2, hex($3) }'

  printf '\n%d largest objects and library members (bytes; .text .rdata .eh_frame other)\n\n' $top
  awk '{ total[$4] += $3
         if ($1 == ".text" || $1 == ".rdata" || $1 == ".eh_frame") part[$4, $1] += $3
         else part[$4, "other"] += $3 }
       END { for (f in total) printf "%8d %8d %8d %8d %8d  %s\n", total[f], part[f, ".text"],
               part[f, ".rdata"], part[f, ".eh_frame"], part[f, "other"], f }' <<<"$sections" |
    sort -k1,1nr | head -n $top
  printf '\n%d largest input sections (bytes; section, function or object, from)\n\n' $top
  awk '{ printf "%8d  %s  %s\n", $3, $2, $4 }' <<<"$sections" | sort -k1,1nr | head -n $top |
    sed -E 's/  \.(text|rdata|data|bss|eh_frame|gcc_except_table)\$([^ ]+)/  .\1 \2/' |
    "$demangle" | cut -c1-160
}

report "$build/app/Install.exe"
report "$build/uninstall/stUnInst.exe"
report "$build/unace/UnACE.dll"
