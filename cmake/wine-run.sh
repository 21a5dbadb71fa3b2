#!/usr/bin/env bash
# Runs a Windows executable under Wine in a private prefix of the build tree.
# The prefix is a 32-bit one unless VORLINDE_WINE_ARCH names another kind
# (win64, twin), as made by wine-prefix.sh.
# Usage: [VORLINDE_WINE_ARCH=win64|twin] wine-run.sh PREFIX PROGRAM [ARGS...]
prefix=$1; shift
arch=${VORLINDE_WINE_ARCH:-win32}
. "$(dirname "$0")/wine-env.sh" "$prefix" "$arch"
[ "$arch" = twin ] && exec wine "$@"
exec "$(dirname "$0")/wine-usable.sh" wine "$@"
