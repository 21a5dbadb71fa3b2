#!/usr/bin/env bash
# Starts (setup) or stops (cleanup) a private Wine prefix and its server.
# win32 is a plain 32-bit Windows; win64 a 64-bit one that runs 32-bit
# programs under WOW64, with its two registry views; twin a 64-bit one for the
# 64-bit twin of the programs, its 32-bit view made as Windows has it.
# The server is started detached from our output: a wineserver that inherits
# a captured stdout makes every later captured run wait for it.
# Usage: wine-prefix.sh setup|cleanup PREFIX [win32|win64|twin]   (default win32)
set -u
here=$(dirname "$0")
action=$1 prefix=$2 arch=${3:-win32}
case "$arch" in
  win32|win64) "$here/wine-usable.sh" true || exit ;;
  twin) ;;
  *) echo "$0: unknown architecture $arch" >&2; exit 2 ;;
esac
. "$here/wine-env.sh" "$prefix" "$arch"
case "$action" in
  setup)
    mkdir -p "$prefix"
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1 || { echo "wineboot failed in $prefix" >&2; exit 1; }
    if [ "$arch" = twin ]; then
      cp "$here/twin-prefix-32-bit-view.reg" "$prefix/drive_c/twin-32-bit-view.reg"
      # Wine 8's reg now and then ends an import with 1 and not a word; the
      # same import once more is the same import.
      wine reg import 'C:\twin-32-bit-view.reg' /reg:32 </dev/null >/dev/null 2>&1 ||
        wine reg import 'C:\twin-32-bit-view.reg' /reg:32 </dev/null >/dev/null 2>&1 ||
        { echo "could not write the 32-bit view's keys into $prefix" >&2; exit 1; }
      rm -f "$prefix/drive_c/twin-32-bit-view.reg"
    fi
    exit 0 ;;
  cleanup)
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    exit 0 ;;
esac
echo "usage: $0 setup|cleanup PREFIX [win32|win64|twin]" >&2
exit 2
