# Builds the library's core and the playground's WebAssembly module with
# Debian's Emscripten (package emscripten):
#   cmake -S . -B build-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-wasm32-emscripten.cmake
# The ordinary build does this by itself when emcc is installed (web/).
find_program(FORMEL_EM_CONFIG em-config)
if(NOT FORMEL_EM_CONFIG)
  message(FATAL_ERROR "em-config not found (apt-get install emscripten)")
endif()
execute_process(COMMAND ${FORMEL_EM_CONFIG} EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE FORMEL_EMSCRIPTEN_ROOT OUTPUT_STRIP_TRAILING_WHITESPACE)
include(${FORMEL_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# The library reports running out of memory and its text limits by throwing
# std::bad_alloc and catching it at the C boundary: keep C++ exceptions
# (Emscripten's JavaScript-based ones, the kind its prebuilt runtime has).
set(CMAKE_C_FLAGS_INIT "-fexceptions")
set(CMAKE_CXX_FLAGS_INIT "-fexceptions")
# The C++ is optimised by the build type (web/ builds Release). The link
# stays -O0, without debug sections: above -O0 it runs Emscripten's
# JavaScript optimiser, which fails with the machine's Node.js.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions")
set(FORMEL_WASM_LINK_OPTIONS -O0 -g0)
