# Cross-compiling for 64-bit Windows with Debian's mingw-w64 toolchain
# (package g++-mingw-w64-x86-64): scripts/build windows uses this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VIGIL_MINGW_PREFIX x86_64-w64-mingw32)
# The win32 thread model: no winpthread DLL, and the program has one thread.
set(CMAKE_C_COMPILER ${VIGIL_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VIGIL_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${VIGIL_MINGW_PREFIX}-windres)
set(CMAKE_ASM_COMPILER ${VIGIL_MINGW_PREFIX}-gcc-win32)

set(CMAKE_FIND_ROOT_PATH /usr/${VIGIL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
