#!/usr/bin/env bash
# Proves the emulated machine end to end: cross-compiles probe.c as a 32-bit
# Windows program, runs it there under Wine, and checks its output, its exit
# status and the registry value it wrote. Exits 0 when all of that holds.
# Usage: selftest.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cc=i686-w64-mingw32-gcc-win32
if ! command -v "$cc" >/dev/null; then
  apt-get install -y -q --no-install-recommends gcc-mingw-w64-i686-win32 >&2
fi

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vorlinde-selftest.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$cc" -O2 -Wall -Wextra -o "$work/probe.exe" "$here/probe.c"
cat >"$work/inside.sh" <<'INSIDE'
status=0
wine ./probe.exe || status=$?
echo "probe status: $status"
wine reg query 'HKCU\Software\Vorlinde\EmulatedProbe' /v Answer | tr -d '\r'
exit "$status"
INSIDE

start=$SECONDS
status=0
"$here/run.sh" --share "$work" -- bash "$work/inside.sh" >"$work/out" 2>"$work/err" || status=$?
# Windows programs end their lines with CR LF.
sed -i 's/\r$//' "$work/out" "$work/err"
cat "$work/out"; sed 's/^/stderr: /' "$work/err" >&2
echo "selftest: the machine's run took $((SECONDS - start)) s"

passed=0 failed=0
verdict() {
  if "$@"; then passed=$((passed + 1)); echo "ok: $label"
  else failed=$((failed + 1)); echo "FAILED: $label"; fi
}
check() { label=$3; verdict grep -q "$2" "$work/$1"; }
check out '^pointer size: 4$' 'the program is 32-bit'
check out '^wow64: yes$' 'it runs under WoW64'
check out '^wrote HKCU' 'it wrote the registry value'
check err 'this line goes to stderr' 'its stderr came back apart from stdout'
check out 'Answer *REG_DWORD *0x2a' 'reg query reads the value back'
label="its exit status came back (got $status, expected 7)"
verdict test "$status" = 7
echo "$passed passed, $failed failed"
((failed == 0))
