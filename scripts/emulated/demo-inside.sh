#!/usr/bin/env bash
# Inside the emulated machine: the demo's install run of the real 32-bit
# vorlinde.exe, then the inspector's report, in a fresh prefix.
# Usage: demo-inside.sh BUILD   (the 32-bit build's folder)
set -uo pipefail
build=$1
fail() { echo "demo: $1" >&2; exit 1; }
export WINEPREFIX=/tmp/vorlinde-demo WINEDEBUG=-all
"$(dirname "$0")/fresh-prefix.sh" "$WINEPREFIX" || fail "could not make a Wine prefix in the emulated machine."
wineserver -p </dev/null >/dev/null 2>&1
folder=$WINEPREFIX/drive_c/Vorlinde
mkdir -p "$folder"
cp "$build/src/vorlinde.exe" "$build/icons/shop.ico" "$build/tools/report/vorlinde-inspect.exe" \
   "$folder/" || fail "copying the programs into the prefix failed."
echo "Running C:\\Vorlinde\\vorlinde.exe, the real 32-bit program (install mode; it prints nothing by design) ..."
wine 'C:\Vorlinde\vorlinde.exe' </dev/null
status=$?
echo "Exit code: $status"
[ "$status" -eq 0 ] || fail "vorlinde.exe exited with $status; it always exits with 0."
echo
echo "Running C:\\Vorlinde\\vorlinde-inspect.exe (reads only) to see what the run did:"
echo
wine 'C:\Vorlinde\vorlinde-inspect.exe' </dev/null | tr -d '\r'
status=${PIPESTATUS[0]}
wineserver -k >/dev/null 2>&1
echo
echo "vorlinde-inspect exit code: $status (0 when all is well)"
[ "$status" -le 1 ] || fail "vorlinde-inspect could not run (exit code $status)."
exit "$status"
