# Sourced by the Wine scripts: the environment every run in a private prefix
# shares. Quiet, no Mono or Gecko download prompts, no desktop menu entries.
# Usage: . wine-env.sh PREFIX ARCH
#   ARCH: win32; win64 for 32-bit programs under WOW64; twin for a 64-bit
#   prefix in which the 64-bit twin of the programs stands for them.
# A Wine in WoW64 mode (VORLINDE_WINE_WOW64_ONLY=1, the emulated machine)
# makes no 32-bit prefix: every prefix there is a 64-bit one.
case "$2" in
  twin) export WINEARCH=win64 ;;
  *) export WINEARCH="$2" ;;
esac
[ "${VORLINDE_WINE_WOW64_ONLY:-}" = 1 ] && export WINEARCH=win64
export WINEPREFIX="$1" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
