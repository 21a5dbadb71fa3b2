#!/usr/bin/env bash
# Installs what is missing, builds vorlinde.exe, runs it once in install mode
# inside a throwaway Wine prefix and shows what it wrote, as
# vorlinde-inspect.exe reads it back. Where this machine runs no 32-bit code,
# the 64-bit twin of the programs stands for them (it reads and writes what
# the 32-bit program does on 64-bit Windows); --emulated runs the real 32-bit
# programs in the emulated machine instead.
# Usage: demo.sh [--emulated]
set -uo pipefail
cd "$(dirname "$0")/.."

fail() { echo "demo: $1" >&2; exit 1; }

route=here
case "${1:-}" in
  "") ;;
  --emulated) route=emulated ;;
  *) echo "usage: $0 [--emulated]" >&2; exit 2 ;;
esac

./scripts/install-deps.sh || fail "installing what the build needs failed (see above)."

preset=windows arch=win32
if [ "$route" = here ] && ! ./cmake/runs-32-bit-code.sh; then
  preset=windows64 arch=twin
  echo "This machine runs no 32-bit code: showing the 64-bit twin of the programs under wine64."
fi
cmake --preset "$preset" >/dev/null || fail "configuring the $preset build failed."
cmake --build --preset "$preset" --target vorlinde vorlinde-inspect vorlinde_icons >/dev/null ||
  fail "building the $preset programs failed."
build="build/$preset"

if [ "$route" = emulated ]; then
  echo "Booting the emulated machine (built once per machine, which takes some minutes) ..."
  ./scripts/emulated/run.sh -- bash scripts/emulated/demo-inside.sh "$build"
  status=$?
  [ "$status" -ne 125 ] || fail "the emulated machine could not run the demo (see above)."
  exit "$status"
fi

prefix=$(mktemp -d /tmp/vorlinde-demo.XXXXXX) || fail "could not make a folder for the Wine prefix."
. cmake/wine-env.sh "$prefix" "$arch"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT

echo "Creating a throwaway Wine prefix in $prefix ..."
./cmake/wine-prefix.sh setup "$prefix" "$arch" || fail "Wine could not make the prefix $prefix."

./scripts/demo-install-run.sh "$build"
