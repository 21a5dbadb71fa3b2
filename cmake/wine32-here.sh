#!/usr/bin/env bash
# Exits 0 when Wine can run 32-bit Windows programs on this machine; else
# prints why and exits 1. Wine's 32-bit half is 32-bit code, which some
# machines do not run; and where they do, a mirror may not have had it.
here=$(dirname "$0")
if ! "$here/runs-32-bit-code.sh"; then
  echo "this machine runs no 32-bit code, so Wine cannot run 32-bit programs here (the windows64 twin runs these cases)"
  exit 1
fi
# The 32-bit half: Wine's 32-bit Windows DLLs, beside a 32-bit loader
# (wine32) or in a 64-bit Wine that runs them in WoW64 mode.
if ! compgen -G "/usr/lib/*/wine/i386-windows/kernel32.dll" >/dev/null; then
  echo "Wine's 32-bit half (wine32) is not installed"
  exit 1
fi
exit 0
