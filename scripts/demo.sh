#!/usr/bin/env bash
# Installs what is missing, builds the real vorlinde.exe, runs it once in
# install mode inside a throwaway Wine prefix and shows what it wrote, as
# vorlinde-inspect.exe reads it back.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target vorlinde vorlinde-inspect vorlinde_icons

prefix=$(mktemp -d /tmp/vorlinde-demo.XXXXXX)
. cmake/wine-env.sh "$prefix" win32
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
cp build/windows/src/vorlinde.exe build/windows/icons/shop.ico \
   build/windows/tools/report/vorlinde-inspect.exe "$folder/"
echo "Running C:\\Vorlinde\\vorlinde.exe (install mode; it prints nothing by design) ..."
wine 'C:\Vorlinde\vorlinde.exe' </dev/null
echo "Exit code: $?"
echo
echo "Running C:\\Vorlinde\\vorlinde-inspect.exe (reads only) to see what the run did:"
echo
set +e
# Redirected, the inspector writes UTF-8, as this terminal reads it.
wine 'C:\Vorlinde\vorlinde-inspect.exe' </dev/null | tr -d '\r'
status=${PIPESTATUS[0]}
set -e
echo
echo "vorlinde-inspect exit code: $status (0 when all is well)"
exit "$status"
