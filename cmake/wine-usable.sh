#!/usr/bin/env bash
# Runs the given command when Wine can run 32-bit Windows programs on this
# machine; else says why and exits 77, which CTest counts as a skipped test.
# Where it cannot, the 64-bit twin of the programs (the windows64 preset)
# runs the same cases instead. Any other failure of Wine is the test's to
# report.
# Usage: wine-usable.sh COMMAND [ARGS...]
if ! reason=$("$(dirname "$0")/wine32-here.sh"); then
  echo "Skipped: $reason"
  exit 77
fi
exec "$@"
