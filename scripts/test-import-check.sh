#!/bin/bash
# usage: test-import-check.sh BINARY LIST DLLS
# Tests check-pe.sh --allowed-imports on a real binary: with three of the
# functions it imports (from two DLLs) missing from LIST, the check must fail
# and name exactly those three; with a malformed line it must fail and name
# the line; with LIST as it is it must pass. Then --allowed-dlls: with DLLS
# as it is the check must pass; with one DLL the binary imports from taken
# out of DLLS (as version.dll is not in it) it must fail and name exactly
# that DLL; a malformed line must be named.
set -u
binary=$1 list=$2 dlls=$3
check="$(dirname "$0")/check-pe.sh"
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$check" "$binary" pei-i386 gui --allowed-imports "$list" > "$work/ok.log" \
  || { cat "$work/ok.log"; fail "the check rejects $binary with the list as it is"; }

# Two functions of the first DLL and one of the second, in objdump's order.
mapfile -t victims < <("$objdump" -p "$binary" | awk '
  /^\tDLL Name: / { dll = tolower($3); n = 0; d++; next }
  /^$/ { dll = "" }
  dll != "" && /^\t[0-9a-f]+\t/ && ((d == 1 && n < 2) || (d == 2 && n < 1)) { print dll "!" $3; n++ }')
[ ${#victims[@]} -eq 3 ] || fail "expected imports from two DLLs, found: ${victims[*]}"
awk 'NR == FNR { gone[$0]; next } !($1 in gone)' <(printf '%s\n' "${victims[@]}") "$list" > "$work/short.txt"
"$check" "$binary" pei-i386 gui --allowed-imports "$work/short.txt" > "$work/short.log" \
  && fail "the check passes although ${victims[*]} are not listed"
for v in "${victims[@]}"; do
  grep -q -x -F "$v" "$work/short.log" || { cat "$work/short.log"; fail "$v is not named"; }
done
named=$(grep -c -E '^[a-z0-9_.-]+\.dll!' "$work/short.log")
[ "$named" -eq 3 ] || { cat "$work/short.log"; fail "$named imports named instead of 3"; }
grep -q "imports 3 function(s) not in" "$work/short.log" || { cat "$work/short.log"; fail "no count of 3"; }

{ cat "$list"; echo "KERNEL32.DLL GetVersion"; } > "$work/malformed.txt"
"$check" "$binary" pei-i386 gui --allowed-imports "$work/malformed.txt" > "$work/malformed.log" \
  && fail "the check accepts a malformed list line"
grep -q -x -F "KERNEL32.DLL GetVersion" "$work/malformed.log" || { cat "$work/malformed.log"; fail "malformed line not named"; }

"$check" "$binary" pei-i386 gui --allowed-dlls "$dlls" > "$work/dlls-ok.log" \
  || { cat "$work/dlls-ok.log"; fail "the check rejects $binary with the DLL list as it is"; }
# The last DLL the binary imports from, as the check spells it.
dll=$("$objdump" -p "$binary" | awk '/^\tDLL Name: / { name = tolower($3) } END { print name }')
[ -n "$dll" ] || fail "no imported DLL found in $binary"
grep -v -x -F "$dll" "$dlls" > "$work/dlls-short.txt"
"$check" "$binary" pei-i386 gui --allowed-dlls "$work/dlls-short.txt" > "$work/dlls-short.log" \
  && fail "the check passes although $dll is not listed"
grep -q -x -F "$dll" "$work/dlls-short.log" || { cat "$work/dlls-short.log"; fail "$dll is not named"; }
grep -q "imports from 1 DLL(s) not in" "$work/dlls-short.log" || { cat "$work/dlls-short.log"; fail "no count of 1"; }
{ cat "$dlls"; echo "VERSION.DLL"; } > "$work/dlls-malformed.txt"
"$check" "$binary" pei-i386 gui --allowed-dlls "$work/dlls-malformed.txt" > "$work/dlls-malformed.log" \
  && fail "the check accepts a malformed DLL line"
grep -q -x -F "VERSION.DLL" "$work/dlls-malformed.log" || { cat "$work/dlls-malformed.log"; fail "malformed DLL line not named"; }

echo "import check: passes with the lists, names ${victims[*]} and $dll when they are missing, rejects malformed lines"
