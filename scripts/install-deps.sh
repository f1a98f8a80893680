#!/bin/bash
# Installs the Debian packages that the build and the tests need. As root it
# installs what is missing; otherwise it names the missing packages and fails.
set -u
packages=(cmake make g++ clang libclang-rt-14-dev googletest
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine64 wine wine32:i386 xvfb xauth imagemagick unace openssl osslsigncode)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them as root: dpkg --add-architecture i386 && apt-get update && apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
stamp=/var/lib/apt/periodic/update-success-stamp
# The shipped programs are 32-bit, and so is the Wine that runs them.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  rm -f "$stamp"
fi
if [ ! -d /var/lib/apt/lists ] || [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e lock -e partial)" ] || [ ! -e "$stamp" ]; then
  apt-get update -qq || true
fi
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; } || {
  echo "apt-get install failed for: ${missing[*]}" >&2; exit 1; }
