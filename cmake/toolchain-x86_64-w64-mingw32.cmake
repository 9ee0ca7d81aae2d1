# Cross-builds the 64-bit Windows library (formel.dll for x64) with Debian's
# MinGW-w64 compiler (package g++-mingw-w64-x86-64):
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
# x64 arithmetic is SSE already, as on the other builds.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(FORMEL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-w64-common.cmake)
