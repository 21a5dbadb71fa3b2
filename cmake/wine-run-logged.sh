#!/usr/bin/env bash
# Runs a Windows program under Wine as wine-run.sh does, but passes its output
# on only once it has ended. A process that Wine starts on the program's
# behalf (the desktop, once the shell is used) inherits its standard error and
# can keep it open for many seconds after the program ends; a caller reading
# a pipe, such as CTest, would wait for that. A file it may keep.
# Usage: wine-run-logged.sh PREFIX PROGRAM [ARGS...]
log=$(mktemp) || exit 1
trap 'rm -f "$log"' EXIT
"$(dirname "$0")/wine-run.sh" "$@" >"$log" 2>&1
status=$?
cat "$log"
exit "$status"
