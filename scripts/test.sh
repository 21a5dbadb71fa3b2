#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: natively on the
# stand-in, natively under AddressSanitizer and UndefinedBehaviorSanitizer,
# the fuzz targets over their seeds, and the Windows test programs under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh || exit 1

stop_wine() {
  for prefix in wineprefix wineprefix64; do
    WINEPREFIX="$PWD/build/windows/$prefix" wineserver -k >/dev/null 2>&1 || true
  done
}
trap stop_wine EXIT

failed=()
for preset in native native-asan fuzz windows; do
  echo "=== $preset ==="
  cmake --workflow --preset "$preset" || failed+=("$preset")
done

# Said once more at the end, so that nobody takes a green run on such a
# machine for a run of the Windows tests.
./cmake/wine-usable.sh true >/dev/null || echo "NOTE: Wine cannot run 32-bit programs on this machine (it runs 64-bit code only): the Windows test programs and black-box cases were skipped; the Windows build, the package checks and the reproducibility check ran."

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED presets: ${failed[*]}"
  exit 1
fi
echo "All presets passed."
