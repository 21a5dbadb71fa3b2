#!/usr/bin/env bash
# Starts (setup) or stops (cleanup) the private Wine prefix and its server.
# The server is started detached from our output: a wineserver that inherits
# a captured stdout makes every later captured run wait for it.
# Usage: wine-prefix.sh setup|cleanup PREFIX
set -u
action=$1 prefix=$2
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
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
echo "usage: $0 setup|cleanup PREFIX" >&2
exit 2
