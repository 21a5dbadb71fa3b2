#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit x86 code, else 1. Asked of the machine
# itself, not of its architecture's name: some 64-bit machines refuse every
# 32-bit program ("Exec format error"), others let it start and kill it the
# moment it enters 32-bit mode. So a tiny 32-bit Linux program is started:
# it only exits with 42 (mov eax,1; xor ebx,ebx; mov bl,42; int 0x80).
set -u
probe=$(mktemp /tmp/vorlinde-probe32.XXXXXX) || exit 1
trap 'rm -f "$probe"' EXIT
printf '%b' \
  '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
  '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
  '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
  '\x00\x00\x00\x00' \
  '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
  '\x5f\x00\x00\x00\x5f\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
  '\xb8\x01\x00\x00\x00\x31\xdb\xb3\x2a\xcd\x80' >"$probe"
chmod +x "$probe"
( "$probe" ) >/dev/null 2>&1
[ $? -eq 42 ]
