#!/usr/bin/env bash
# Inside the emulated machine: the demo's install run of the real 32-bit
# programs, in a fresh prefix on the machine's own disk.
# Usage: demo-inside.sh BUILD   (the 32-bit build's folder)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=/tmp/vorlinde-demo WINEDEBUG=-all
"$here/fresh-prefix.sh" "$WINEPREFIX" ||
  { echo "demo: could not make a Wine prefix in the emulated machine." >&2; exit 1; }
wineserver -p </dev/null >/dev/null 2>&1
"$here/../demo-install-run.sh" "$1"
status=$?
wineserver -k >/dev/null 2>&1
exit "$status"
