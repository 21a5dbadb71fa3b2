#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine.
# Does nothing (quickly) when everything is there already. Wine's 32-bit half
# only where this machine runs 32-bit code: elsewhere the 64-bit twin of the
# programs runs the Windows cases, and a mirror's i386 lists are not needed.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake make g++ googletest libgtest-dev python3 icoutils zip
          gcc-mingw-w64-i686-win32 g++-mingw-w64-i686-win32
          gcc-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-win32
          wine wine64 osslsigncode openssl
          wixl msitools locales
          clang-14 clang libclang-rt-14-dev)
# Wine's 32-bit half comes from the mirror's i386 lists, which can be in
# mid-sync for hours: without it the test run takes the real 32-bit programs
# to the emulated machine, so its absence is said, not a failure.
optional=()
with_32_bit=false
if "$here/cmake/runs-32-bit-code.sh"; then
  with_32_bit=true
  optional+=(wine32:i386)
fi

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}" "${optional[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if $with_32_bit && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# A mirror in mid-sync fails one index or another for a while: try again, and
# go on when it still fails, since the lists that did arrive may hold all we
# need; the install below tells.
for attempt in 1 2 3; do
  $sudo apt-get update -qq >"$log" 2>&1 && break
  [ "$attempt" -lt 3 ] && sleep $((attempt * 10))
done
if ! $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >>"$log" 2>&1; then
  # One at a time, so that one package the lists lack does not hold back the rest.
  for p in "${missing[@]}"; do
    $sudo apt-get install -y -qq --no-install-recommends "$p" >>"$log" 2>&1
  done
fi

reason=$(grep -E '^(E|W): ' "$log" | head -n 1)
mapfile -t lacking < <(missing_of "${optional[@]}")
if [ ${#lacking[@]} -gt 0 ]; then
  echo "install-deps: could not install ${lacking[*]}${reason:+ (apt-get: $reason)};" \
       "the 32-bit programs' Wine cases run in the emulated machine instead." >&2
fi
mapfile -t still < <(missing_of "${packages[@]}")
if [ ${#still[@]} -gt 0 ]; then
  echo "install-deps: could not install ${still[*]}${reason:+ (apt-get: $reason)}." >&2
  exit 1
fi
exit 0
