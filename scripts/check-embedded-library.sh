#!/bin/bash
# usage: check-embedded-library.sh WINDRES INSTALL_EXE UNACE_DLL PACKED PACKER
# The setup program must carry the extraction library as its resource of
# type "DLL", name "UnACE", German language, holding the packed form PACKED
# byte for byte, which PACKER (resource-packer, whose unpacking is the setup
# program's own code) must unpack into the built library byte for byte.
set -u
export LC_ALL=C
windres=$1 program=$2 library=$3 packed=$4 packer=$5
resources=$("$windres" --input-format=coff -i "$program" -O rc 2>&1) \
  || { echo "cannot read the resources of $program: $resources"; exit 1; }
# windres writes each resource as a comment, a LANGUAGE line and the
# '"NAME" "TYPE"' line; the German language is 7 (primary), 1 (sublanguage).
if ! grep -A3 -x '   Name: "UNACE".  \*/' <<<"$resources" | grep -q -x 'LANGUAGE 7, 1'; then
  echo "$program: no German resource DLL/UnACE"; exit 1
fi
hex() { od -An -v -tx1 "$1" | tr -d ' \n'; }
if ! hex "$program" | grep -q -F -f <(hex "$packed"); then
  echo "$program: does not contain $packed byte for byte"; exit 1
fi
unpacked=$(mktemp) || exit 1
trap 'rm -f "$unpacked"' EXIT
"$packer" unpack "$packed" "$unpacked" || exit 1
if ! cmp -s "$unpacked" "$library"; then
  echo "$packed does not unpack into $library byte for byte"; exit 1
fi
echo "$program carries $library ($(stat -c %s "$library") bytes) packed into" \
  "$(stat -c %s "$packed") bytes as its German resource DLL/UnACE"
