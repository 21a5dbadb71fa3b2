#!/usr/bin/env bash
# Runs one command inside the emulated x86-64 machine (see README.md), where
# Wine runs the real 32-bit programs. Boots the cached machine, building it
# first if missing, on a throw-away overlay, so runs never change it.
# Usage: run.sh [--share DIR] -- COMMAND [ARGUMENT...]
#   --share DIR   host folder shared read-write at the same path inside
#                 (default: the checkout root)
# Exits with COMMAND's status, or 125 when the machine itself failed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

usage() { echo "usage: $0 [--share DIR] -- COMMAND [ARGUMENT...]" >&2; exit 2; }
machine_failed() { emulated_fail "$*"; exit 125; }

share=$(cd "$here/../.." && pwd -P)
while (($#)); do
  case $1 in
    --share) (($# >= 2)) || usage; share=$2; shift 2 ;;
    --share=*) share=${1#*=}; shift ;;
    --) shift; break ;;
    *) usage ;;
  esac
done
(($#)) || usage
[[ -d $share ]] || machine_failed "the folder to share, $share, does not exist."
share=$(cd "$share" && pwd -P)
[[ $share != / ]] || machine_failed "sharing / is not supported; pass a smaller --share folder."

if [[ ! -f $VORLINDE_MACHINE/ready ]]; then
  "$here/build-machine.sh" || exit 125
fi

run=$(mktemp -d "${TMPDIR:-/var/tmp}/vorlinde-run.XXXXXX")
# shellcheck disable=SC2317 # called by the trap
cleanup() {
  if [[ -n $EMULATED_QEMU_PID ]]; then kill "$EMULATED_QEMU_PID" 2>/dev/null || true; fi
  rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir "$run/ctl"
qemu-img create -q -f qcow2 -F qcow2 -b "$VORLINDE_MACHINE/disk.qcow2" "$run/overlay.qcow2" \
  || machine_failed "could not make an overlay on $VORLINDE_MACHINE/disk.qcow2."

# Start where the caller is, when that is inside the share.
dir=$(pwd -P)
[[ $dir == "$share" || $dir == "$share"/* ]] || dir=$share
{
  for name in ${VORLINDE_EMULATED_ENV:-}; do
    printf 'export %s=%q\n' "$name" "${!name-}"
  done
  printf 'cd %q || exit 125\n' "$dir"
  printf 'exec'
  printf ' %q' "$@"
  printf '\n'
} >"$run/ctl/cmd.sh"

timeout=${VORLINDE_EMULATED_TIMEOUT:-3600}
status=0
emulated_boot "$run/overlay.qcow2" "$VORLINDE_MACHINE" "$share" "$run" "$timeout" || status=$?
if ((status != 0)); then
  log=$VORLINDE_CACHE/last-console.log
  cat "$run/console.log" "$run/qemu.log" >"$log" 2>/dev/null || log=$run/console.log
  if ((status == 124)); then
    machine_failed "the machine did not finish within $timeout s (VORLINDE_EMULATED_TIMEOUT); console log: $log"
  fi
  machine_failed "the machine stopped without handing back the command's status (boot failed?); console log: $log"
fi
exit "$(cat "$run/ctl/rc")"
