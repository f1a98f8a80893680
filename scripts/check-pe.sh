#!/bin/bash
# usage: check-pe.sh FILE FORMAT gui|console|dll [--allowed-imports LIST]
#                    [--allowed-dlls DLLS] [EXPORT...]
# Checks a Windows binary: its PE format (pei-i386 or pei-x86-64), its
# subsystem, that it imports no MinGW runtime DLL (so it runs on a bare
# system), and for a DLL that the named exports exist under plain names.
# With --allowed-imports, every function the binary imports must be listed
# in LIST (lines "dll!function", or "dll!#ordinal" for an import by ordinal;
# a "#" at the start of a line or after a blank starts a comment); every
# import that is not listed is named. With --allowed-dlls, every DLL the
# binary imports from must be listed in DLLS (one lower-case name a line,
# comments as above); every DLL that is not listed is named.
# The objdump to use comes from $OBJDUMP, else from FORMAT.
set -u
export LC_ALL=C  # one collation for sort and comm
file=$1 format=$2 kind=$3; shift 3
allowed=""
allowedDlls=""
exports=()
while [ $# -gt 0 ]; do
  case "$1" in
    --allowed-imports) allowed=$2; shift 2 ;;
    --allowed-dlls) allowedDlls=$2; shift 2 ;;
    *) exports+=("$1"); shift ;;
  esac
done
objdump=${OBJDUMP:-}
if [ -z "$objdump" ]; then
  case "$format" in
    pei-i386) objdump=i686-w64-mingw32-objdump ;;
    *) objdump=x86_64-w64-mingw32-objdump ;;
  esac
fi
dump=$("$objdump" -p "$file" 2>&1) || { echo "cannot read $file with $objdump: $dump" >&2; exit 1; }
fail=0
grep -q "file format $format" <<<"$dump" || { echo "$file: not $format"; fail=1; }
case "$kind" in
  gui) grep -q "Subsystem.*(Windows GUI)" <<<"$dump" || { echo "$file: not a GUI program"; fail=1; } ;;
  console) grep -q "Subsystem.*(Windows CUI)" <<<"$dump" || { echo "$file: not a console program"; fail=1; } ;;
  dll) grep -q "Characteristics.*DLL" <<<"$dump" || grep -q "^\s*DLL$" <<<"$dump" || { echo "$file: not a DLL"; fail=1; } ;;
esac
runtime=$(grep -i "DLL Name:" <<<"$dump" | grep -i -E "libgcc|libstdc|libwinpthread|mingw" || true)
if [ -n "$runtime" ]; then echo "$file imports MinGW runtime DLLs:"; echo "$runtime"; fail=1; fi
for name in "${exports[@]}"; do
  grep -q -E "\]\s+$name$" <<<"$dump" || { echo "$file: no plain export $name"; fail=1; }
done

# check_listed FOUND LIST PATTERN MALFORMED_TEXT UNEXPECTED_FORMAT: every line
# of FOUND must be in the list file LIST (comments and blank lines aside),
# whose entries must match PATTERN; UNEXPECTED_FORMAT gets the count of the
# lines that are not.
check_listed() {
  local found=$1 list=$2 pattern=$3 malformedText=$4 unexpectedText=$5 listed malformed unexpected
  listed=$(sed -E -e 's/^[[:space:]]*#.*$//' -e 's/[[:space:]]+#.*$//' -e 's/^[[:space:]]+|[[:space:]]+$//g' "$list" \
           | grep -v '^$' || true)
  malformed=$(grep -v -E "$pattern" <<<"$listed" || true)
  if [ -n "$malformed" ]; then
    echo "$list: $malformedText:"; echo "$malformed"; fail=1
  fi
  unexpected=$(comm -23 <(echo "$found") <(sort -u <<<"$listed"))
  if [ -n "$unexpected" ]; then
    # shellcheck disable=SC2059
    echo "$file $(printf "$unexpectedText" "$(wc -l <<<"$unexpected")") $list:"
    echo "$unexpected"
    fail=1
  fi
}

if [ -n "$allowed" ]; then
  [ -r "$allowed" ] || { echo "cannot read the import list $allowed" >&2; exit 1; }
  # objdump -p lists each imported DLL as "DLL Name: X" followed by one line
  # per function ("<tab>vma<tab>hint name", or "ordinal <none>") up to a blank
  # line. DLL names are compared in lower case, as Windows does.
  imports=$(awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t/ { print dll "!" ($3 == "<none>" ? "#" $2 : $3) }' <<<"$dump" | sort -u)
  if [ -z "$imports" ]; then
    echo "$file: no imported functions found in the output of $objdump -p"; fail=1
  fi
  check_listed "$imports" "$allowed" '^[a-z0-9_.-]+\.(dll|drv)!(#[0-9]+|[A-Za-z_?@$][A-Za-z0-9_?@$]*)$' \
    "lines not of the form dll!function (DLL name in lower case)" "imports %s function(s) not in"
fi

if [ -n "$allowedDlls" ]; then
  [ -r "$allowedDlls" ] || { echo "cannot read the DLL list $allowedDlls" >&2; exit 1; }
  dlls=$(awk '/^\tDLL Name: / { print tolower($3) }' <<<"$dump" | sort -u)
  if [ -z "$dlls" ]; then
    echo "$file: no imported DLLs found in the output of $objdump -p"; fail=1
  fi
  check_listed "$dlls" "$allowedDlls" '^[a-z0-9_.-]+\.(dll|drv)$' \
    "lines not a DLL name in lower case" "imports from %s DLL(s) not in"
fi

[ $fail -eq 0 ] && echo "$file: $format $kind, no MinGW runtime imports${exports[*]:+, exports ${exports[*]}}${allowed:+, imports only from $(basename "$allowed")}${allowedDlls:+, DLLs only from $(basename "$allowedDlls")}"
exit $fail
