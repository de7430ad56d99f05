# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix:
# the posix thread model, which std::thread needs). Every program is linked statically, so
# that the .exe files run on a Windows that has no MinGW runtime DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSARO_MINGW_TARGET x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TESSARO_MINGW_TARGET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TESSARO_MINGW_TARGET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TESSARO_MINGW_TARGET}-windres REQUIRED)

# Libraries and headers only from the target's tree; programs (python3, wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TESSARO_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
