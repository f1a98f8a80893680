#!/bin/bash
# usage: check-pe.sh FILE FORMAT gui|console|dll [EXPORT...]
# Checks a Windows binary: its PE format (pei-i386 or pei-x86-64), its
# subsystem, that it imports no MinGW runtime DLL (so it runs on a bare
# system), and for a DLL that the named exports exist under plain names.
set -u
file=$1 format=$2 kind=$3; shift 3
case "$format" in
  pei-i386) objdump=i686-w64-mingw32-objdump ;;
  *) objdump=x86_64-w64-mingw32-objdump ;;
esac
dump=$("$objdump" -p "$file" 2>&1) || { echo "cannot read $file: $dump" >&2; exit 1; }
fail=0
grep -q "file format $format" <<<"$dump" || { echo "$file: not $format"; fail=1; }
case "$kind" in
  gui) grep -q "Subsystem.*(Windows GUI)" <<<"$dump" || { echo "$file: not a GUI program"; fail=1; } ;;
  console) grep -q "Subsystem.*(Windows CUI)" <<<"$dump" || { echo "$file: not a console program"; fail=1; } ;;
  dll) grep -q "Characteristics.*DLL" <<<"$dump" || grep -q "^\s*DLL$" <<<"$dump" || { echo "$file: not a DLL"; fail=1; } ;;
esac
runtime=$(grep -i "DLL Name:" <<<"$dump" | grep -i -E "libgcc|libstdc|libwinpthread|mingw" || true)
if [ -n "$runtime" ]; then echo "$file imports MinGW runtime DLLs:"; echo "$runtime"; fail=1; fi
for name in "$@"; do
  grep -q -E "\]\s+$name$" <<<"$dump" || { echo "$file: no plain export $name"; fail=1; }
done
[ $fail -eq 0 ] && echo "$file: $format $kind, no MinGW runtime imports${*:+, exports $*}"
exit $fail
