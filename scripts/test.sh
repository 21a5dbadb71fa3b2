#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: natively on the
# stand-in, natively under AddressSanitizer and UndefinedBehaviorSanitizer,
# the fuzz targets over their seeds, the Windows test programs and black-box
# cases under Wine: the 32-bit build's where this machine runs 32-bit code,
# and always its 64-bit twin's under wine64. Where this machine runs no
# 32-bit code, the real-32 set (REAL32_SET below) runs on the real 32-bit
# programs in the emulated machine (scripts/emulated/), as it does where
# Wine's 32-bit half could not be installed. Ends with how many
# Windows cases ran on which build and where, and fails when a case ran
# nowhere.
# Usage: test.sh [--all-real32]   (every Windows case in the emulated machine)
set -uo pipefail
cd "$(dirname "$0")/.."

# The cases that fit CI's time in the emulated machine, where each Wine
# program takes a second or two: the accessor's and the routines' test
# programs, the shell's hand-off, and the black-box install, switch and
# report cases.
REAL32_SET='_test$|^blackbox_install$|^blackbox_switches$|^blackbox_report_tool$'

real32=set
for argument in "$@"; do
  case "$argument" in
    --all-real32) real32=all ;;
    *) echo "usage: $0 [--all-real32]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh || exit 1

stop_wine() {
  for prefix in windows/wineprefix windows/wineprefix64 windows64/wineprefix; do
    WINEPREFIX="$PWD/build/$prefix" wineserver -k >/dev/null 2>&1 || true
  done
}
trap stop_wine EXIT

failed=()
for preset in native native-asan fuzz windows windows64; do
  echo "=== $preset ==="
  rm -f "build/$preset/windows-cases.xml"
  started=$SECONDS
  cmake --workflow --preset "$preset" || failed+=("$preset")
  echo "=== $preset took $((SECONDS - started)) s ==="
done

if why32=$(./cmake/wine32-here.sh); then
  here32="32-bit build, Wine on this machine"
else
  here32="32-bit build on this machine ($why32: its Wine cases skipped)"
fi
routes=("$here32=build/windows/windows-cases.xml"
        "64-bit twin, wine64 on this machine=build/windows64/windows-cases.xml")
if [ "$real32" = set ] && [ -z "$why32" ]; then
  echo "=== the real 32-bit programs ran here: no emulated machine needed (--all-real32 runs it) ==="
else
  echo "=== real 32-bit programs in the emulated machine ($real32) ==="
  started=$SECONDS
  only=$REAL32_SET
  [ "$real32" = all ] && only=
  ./scripts/emulated/run-windows-cases.sh build/emulated/windows-cases.xml "$only" ||
    failed+=("emulated")
  echo "=== emulated took $((SECONDS - started)) s ==="
  routes+=("32-bit build, WoW64 Wine in the emulated machine=build/emulated/windows-cases.xml")
fi
./scripts/windows_cases.py "${routes[@]}" || failed+=("a Windows case ran nowhere")

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All presets passed."
