#!/usr/bin/env bash
# Runs the given command when Wine can run 32-bit Windows programs on this
# machine; else says why and exits 77, which CTest counts as a skipped test.
# Wine's 32-bit loader is itself a 32-bit Linux program, and some virtual
# machines run 64-bit code only: their kernel refuses to start it
# ("Exec format error"). Any other failure of Wine is the test's to report.
# Usage: wine-usable.sh COMMAND [ARGS...]
answer=$(wine --version 2>&1)
if [ $? -eq 126 ] && [[ $answer == *"Exec format error"* ]]; then
  echo "Skipped: this machine runs no 32-bit code, so Wine cannot start ($answer)"
  exit 77
fi
exec "$@"
