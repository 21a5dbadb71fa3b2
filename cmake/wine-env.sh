# Sourced by the Wine scripts: the environment every run in a private prefix
# shares. Quiet, no Mono or Gecko download prompts, no desktop menu entries.
# Usage: . wine-env.sh PREFIX ARCH   (ARCH: win32, or win64 for WOW64)
export WINEPREFIX="$1" WINEARCH="$2" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
