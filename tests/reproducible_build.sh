#!/usr/bin/env bash
# Builds the package twice, in two differently named temporary folders one
# after the other, and compares the programs, the ZIP, the Windows Installer
# package and SHA256SUMS byte for byte. Only what the package holds is built;
# the tests are left out.
# Usage: reproducible_build.sh SOURCE_DIR
set -euo pipefail
cd "$1"
unset VORLINDE_SIGN_CERT VORLINDE_SIGN_KEY VORLINDE_SIGN_PKCS12 VORLINDE_SIGN_PASSWORD_FILE \
      VORLINDE_SIGN_TIMESTAMP_URL
work=$(mktemp -d /tmp/vorlinde-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

for build in "$work/first" "$work/second/build-elsewhere"; do
  cmake --preset windows -B "$build" -DVORLINDE_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 >/dev/null
  cpack --config "$build/CPackConfig.cmake" -B "$build" >/dev/null
  (cd "$build" && sha256sum src/vorlinde.exe tools/report/vorlinde-inspect.exe \
                             vorlinde-*-win32.zip vorlinde-*.msi SHA256SUMS)
done >"$work/sums"

cat "$work/sums"
first=$(head -n 5 "$work/sums")
second=$(tail -n 5 "$work/sums")
if [ "$first" != "$second" ]; then
  echo "The two builds differ." >&2
  exit 1
fi
echo "Both builds are byte for byte the same."
