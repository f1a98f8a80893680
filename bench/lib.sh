# shellcheck shell=bash
# What the benchmark scripts share; sourced first thing, after `set -euo pipefail`.
#   $here, $repo          the bench folder and the repository
#   die MESSAGE           stops, the script's name in front
#   require HINT FILE...  stops at the first FILE missing, naming HINT (how to make it)
#   need_package COMMAND PACKAGE
#                         installs Debian's PACKAGE when COMMAND is missing and we are
#                         root, else stops
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
