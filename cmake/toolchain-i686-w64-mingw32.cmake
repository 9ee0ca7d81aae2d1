# Cross-builds the 32-bit Windows library (formel.dll) with Debian's
# MinGW-w64 compiler (package g++-mingw-w64-i686):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(FORMEL_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${FORMEL_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${FORMEL_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${FORMEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FORMEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE arithmetic: x87 extended precision would round single-precision
# results differently from the 64-bit builds.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# The compiler's runtime goes into each binary, so that formel.dll needs
# nothing but the system's own DLLs.
set(_formel_static_runtime "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${_formel_static_runtime})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${_formel_static_runtime})
set(CMAKE_EXE_LINKER_FLAGS_INIT ${_formel_static_runtime})
