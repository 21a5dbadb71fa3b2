#!/usr/bin/env bash
# Runs the given command when Wine can run 32-bit Windows programs on this
# machine; else says why and exits 77, which CTest counts as a skipped test.
# Wine's 32-bit half is 32-bit code, and some machines run 64-bit code only:
# there the 64-bit twin of the programs (the windows64 preset) runs the same
# cases instead. Any other failure of Wine is the test's to report.
# Usage: wine-usable.sh COMMAND [ARGS...]
here=$(dirname "$0")
if ! "$here/runs-32-bit-code.sh"; then
  echo "Skipped: this machine runs no 32-bit code, so Wine cannot run 32-bit programs here (the windows64 twin runs these cases)"
  exit 77
fi
# The 32-bit half: Wine's 32-bit Windows DLLs, beside a 32-bit loader
# (wine32) or in a 64-bit Wine that runs them in WoW64 mode.
if ! compgen -G "/usr/lib/*/wine/i386-windows/kernel32.dll" >/dev/null; then
  echo "Skipped: Wine's 32-bit half (wine32) is not installed"
  exit 77
fi
exec "$@"
