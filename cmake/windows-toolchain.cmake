# Cross-builds for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, which the C++ standard library's threads and Qt need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOCKARO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOCKARO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOCKARO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TOCKARO_MINGW}-windres)

# Libraries and headers come from the mingw-w64 tree and the cross-built Qt
# (given in CMAKE_PREFIX_PATH); programs that run at build time come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TOCKARO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
