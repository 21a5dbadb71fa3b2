#!/usr/bin/env bash
# The demo's install run, in the Wine prefix WINEPREFIX names (its server
# started): copies the programs of BUILD to C:\Vorlinde, runs vorlinde.exe
# in install mode, then the inspector, whose exit code it ends with.
# Usage: demo-install-run.sh BUILD   (build/windows or build/windows64)
set -uo pipefail
build=$1
fail() { echo "demo: $1" >&2; exit 1; }

folder="$WINEPREFIX/drive_c/Vorlinde"
mkdir -p "$folder"
cp "$build/src/vorlinde.exe" "$build/icons/shop.ico" \
   "$build/tools/report/vorlinde-inspect.exe" "$folder/" || fail "copying the programs into the prefix failed."
echo "Running C:\\Vorlinde\\vorlinde.exe (install mode; it prints nothing by design) ..."
wine 'C:\Vorlinde\vorlinde.exe' </dev/null
status=$?
echo "Exit code: $status"
[ "$status" -eq 0 ] || fail "vorlinde.exe exited with $status under Wine; it always exits with 0."
echo
echo "Running C:\\Vorlinde\\vorlinde-inspect.exe (reads only) to see what the run did:"
echo
# Redirected, the inspector writes UTF-8, as this terminal reads it.
wine 'C:\Vorlinde\vorlinde-inspect.exe' </dev/null | tr -d '\r'
status=${PIPESTATUS[0]}
echo
echo "vorlinde-inspect exit code: $status (0 when all is well)"
[ "$status" -le 1 ] || fail "vorlinde-inspect could not run under Wine (exit code $status)."
exit "$status"
