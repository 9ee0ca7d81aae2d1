# What both MinGW-w64 toolchain files share; they set FORMEL_MINGW_PREFIX
# (the compiler's target triple) and include this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${FORMEL_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${FORMEL_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${FORMEL_MINGW_PREFIX}-windres)
# Makes the import libraries from a .def (cmake/WindowsExports.cmake).
set(CMAKE_DLLTOOL ${FORMEL_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${FORMEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime goes into each binary, so that formel.dll needs
# nothing but the system's own DLLs.
set(_formel_static_runtime "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${_formel_static_runtime})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${_formel_static_runtime})
set(CMAKE_EXE_LINKER_FLAGS_INIT ${_formel_static_runtime})
