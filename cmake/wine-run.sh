#!/usr/bin/env bash
# Runs a Windows executable under Wine in a private prefix of the build tree.
# The prefix is a 32-bit one unless VORLINDE_WINE_ARCH=win64 names a 64-bit
# (WOW64) prefix, as made by wine-prefix.sh with win64.
# Usage: [VORLINDE_WINE_ARCH=win64] wine-run.sh PREFIX PROGRAM [ARGS...]
prefix=$1; shift
. "$(dirname "$0")/wine-env.sh" "$prefix" "${VORLINDE_WINE_ARCH:-win32}"
exec "$(dirname "$0")/wine-usable.sh" wine "$@"
