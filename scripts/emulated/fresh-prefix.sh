#!/usr/bin/env bash
# Inside the emulated machine: makes DIR a private Wine prefix at once, as an
# overlay on the ready one, since copying that one takes half a minute.
# Writes go to memory (/tmp) and vanish with the run.
# Usage: fresh-prefix.sh DIR      then: export WINEPREFIX=DIR
set -euo pipefail
(($# == 1)) || { echo "usage: $0 DIR" >&2; exit 2; }
template=${VORLINDE_WINEPREFIX_TEMPLATE:?is only set inside the emulated machine}
layers=$(mktemp -d /tmp/prefix-layers.XXXXXX)
mkdir -p "$layers/upper" "$layers/work" "$1"
mount -t overlay overlay \
  -o "lowerdir=$template,upperdir=$layers/upper,workdir=$layers/work" "$1"
