#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine.
# Does nothing (quickly) when everything is there already.
set -euo pipefail

packages=(cmake make g++ googletest libgtest-dev python3 icoutils zip
          gcc-mingw-w64-i686-win32 g++-mingw-w64-i686-win32
          wine wine32:i386 wine64 osslsigncode openssl
          wixl msitools locales
          clang-14 clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
