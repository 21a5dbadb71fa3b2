# What both MinGW-w64 toolchain files share; each sets VORLINDE_MINGW_TRIPLE
# and CMAKE_SYSTEM_PROCESSOR first. The win32 thread model: the programs are
# single-threaded, and the posix model's runtime (winpthreads and the locking
# around it) would only add to their size.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VORLINDE_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VORLINDE_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${VORLINDE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLINDE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything static: the executables import system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--dynamicbase,--nxcompat")
