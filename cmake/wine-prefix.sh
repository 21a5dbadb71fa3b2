#!/usr/bin/env bash
# Starts (setup) or stops (cleanup) a private Wine prefix and its server.
# win32 is a plain 32-bit Windows; win64 a 64-bit one that runs 32-bit
# programs under WOW64, with its two registry views.
# The server is started detached from our output: a wineserver that inherits
# a captured stdout makes every later captured run wait for it.
# Usage: wine-prefix.sh setup|cleanup PREFIX [win32|win64]   (default win32)
set -u
action=$1 prefix=$2 arch=${3:-win32}
case "$arch" in
  win32|win64) ;;
  *) echo "$0: unknown architecture $arch" >&2; exit 2 ;;
esac
. "$(dirname "$0")/wine-env.sh" "$prefix" "$arch"
"$(dirname "$0")/wine-usable.sh" true || exit
case "$action" in
  setup)
    mkdir -p "$prefix"
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    exit 0 ;;
  cleanup)
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    exit 0 ;;
esac
echo "usage: $0 setup|cleanup PREFIX [win32|win64]" >&2
exit 2
