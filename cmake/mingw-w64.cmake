# Cross-compiling for 64-bit Windows with the MinGW-w64 GCC (posix thread
# model: the test framework needs std::mutex).
#
#   cmake --preset mingw        (see CMakePresets.json and docs/windows.md)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESSRA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESSRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESSRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_ASM_COMPILER ${KESSRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_RC_COMPILER ${KESSRA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESSRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs then need no libstdc++ or winpthread DLLs
# beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
