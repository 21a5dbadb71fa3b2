# Cross-compiles the 64-bit twin of the Windows programs: the same sources for
# x86_64, a test build only, so that machines which run no 32-bit code can
# still run every Windows case under Wine's 64-bit loader. Nothing of it
# ships: the product is the 32-bit build (i686-w64-mingw32.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORLINDE_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-toolchain.cmake)
