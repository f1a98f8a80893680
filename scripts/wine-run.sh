#!/bin/sh
# Runs one Windows program under Wine in the given private prefix.
# usage: wine-run.sh PREFIX PROGRAM [ARGS...]
prefix=$1; shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
exec "$(dirname "$0")/wine-bin.sh" "$@"
