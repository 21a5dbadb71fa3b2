#!/usr/bin/env bash
# Inside the emulated machine: the 32-bit build's Windows cases under CTest,
# each Wine prefix they use made on the machine's own disk (one made on the
# share lacks its 32-bit half), the JUnit file written to OUTPUT.
# Usage: windows-cases-inside.sh OUTPUT [REGEX]
set -uo pipefail
output=$1 only=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$here/../.." && pwd -P)/build/windows

for prefix in wineprefix wineprefix64 wineprefix-second-win64; do
  "$here/fresh-prefix.sh" "$build/$prefix" || { echo "could not make the prefix $prefix" >&2; exit 1; }
done
# The tests name the host's Python by its path; the machine has its own.
python=$(sed -n 's/^_Python3_EXECUTABLE:INTERNAL=//p' "$build/CMakeCache.txt")
if [[ -n $python && ! -e $python ]]; then
  mkdir -p "$(dirname "$python")" && ln -s "$(command -v python3)" "$python"
fi
# And CPack's configuration names the host's CMake modules by their path.
cmake_root=$(sed -n 's/^CMAKE_ROOT:INTERNAL=//p' "$build/CMakeCache.txt")
if [[ -n $cmake_root && ! -e $cmake_root ]]; then
  ln -s "$(compgen -G '/usr/share/cmake-[0-9]*' | head -n 1)" "$cmake_root"
fi
export VORLINDE_WINE_WOW64_ONLY=1
# One server per prefix for the whole run, started away from our output.
for prefix in wineprefix wineprefix64; do
  WINEPREFIX=$build/$prefix WINEDEBUG=-all wineserver -p </dev/null >/dev/null 2>&1
done

# The 64-bit prefix's runs are the runs themselves here; the host ran the
# cases about the build's own bytes.
exclude='_win64$|^wine64_prefix_|^blackbox_executable$|^blackbox_package$|^reproducible_build$'
args=(--test-dir "$build" -E "$exclude" --output-on-failure --output-junit "$output"
      --timeout 1800)
[[ -n $only ]] && args+=(-R "$only")
ctest "${args[@]}"
status=$?
for prefix in wineprefix wineprefix64 wineprefix-second-win64; do
  WINEPREFIX=$build/$prefix wineserver -k >/dev/null 2>&1
done
exit "$status"
