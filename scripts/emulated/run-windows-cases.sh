#!/usr/bin/env bash
# Runs the 32-bit build's Windows cases on the real 32-bit programs, in the
# emulated machine (run.sh), and writes CTest's JUnit file to OUTPUT. The
# build (build/windows) must be there; the cases about its own bytes ran on
# the host and are left out. Wine in WoW64 mode makes no 32-bit prefix, so
# every case runs in a 64-bit prefix there: each case runs once, as the
# 32-bit program on 64-bit Windows.
# Usage: run-windows-cases.sh OUTPUT [REGEX]   (REGEX: only the cases it matches)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd -P)
(($# >= 1 && $# <= 2)) || { echo "usage: $0 OUTPUT [REGEX]" >&2; exit 2; }
output=$(realpath -m "$1")
[[ $output == "$root"/* ]] || { echo "$0: OUTPUT must lie inside $root" >&2; exit 2; }
[[ -f $root/build/windows/CTestTestfile.cmake ]] ||
  { echo "$0: the 32-bit build is missing: run cmake --workflow --preset windows first." >&2; exit 1; }
mkdir -p "$(dirname "$output")"
rm -f "$output"
cd "$root"
exec "$here/run.sh" -- bash "$here/windows-cases-inside.sh" "$output" "${2:-}"
