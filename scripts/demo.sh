#!/usr/bin/env bash
# Installs what is missing, builds the real vorlinde.exe, runs it once in
# install mode inside a throwaway Wine prefix and shows what it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target vorlinde

prefix=$(mktemp -d /tmp/vorlinde-demo.XXXXXX)
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT

echo "Creating a throwaway Wine prefix in $prefix ..."
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1

folder="$prefix/drive_c/Vorlinde"
mkdir -p "$folder"
cp build/windows/src/vorlinde.exe "$folder/"
echo "Running C:\\Vorlinde\\vorlinde.exe (install mode; it prints nothing by design) ..."
wine 'C:\Vorlinde\vorlinde.exe' </dev/null
echo "Exit code: $?"
echo
echo "The extension key it wrote:"
wine reg query 'HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{8A918C1D-E123-4E36-B562-5C1519E434CE}' </dev/null | tr -d '\r'
echo "The command bar layout:"
wine reg query 'HKCU\Software\Microsoft\Internet Explorer\LowRegistry\CommandBar' /v ButtonLayout </dev/null 2>/dev/null | tr -d '\r' \
  || echo "  (no ButtonLayout value)"
