# From the Linux build: cross-builds formel.dll for 32-bit (x86) and 64-bit
# (x64) Windows, each as a build tree of this project of its own (the
# toolchain files in this folder, through ExternalProject), and packs both
# into the release kit formel-<version>-windows.zip (target windows_kit).
# An architecture whose MinGW-w64 tools are missing is left out; its tests
# (tests/windows) report why they are skipped.

# Other build trees of the same checkout (sanitizers, fuzzing) may turn
# this off so that the Windows trees are not built and run once per tree.
option(FORMEL_WINDOWS_SUITE "Cross-build the Windows DLLs and their kit, and test them under Wine" ON)

include(ExternalProject)

# formel_windows_tree(ARCH TRIPLE PACKAGE) for ARCH x86 or x64 sets, in the
# caller's scope:
#   FORMEL_WINDOWS_<ARCH>_TREE     the tree's build directory, empty when not built
#   FORMEL_WINDOWS_<ARCH>_MISSING  what is missing, when not built
#   FORMEL_WINDOWS_<ARCH>_OBJDUMP  the architecture's objdump,
#   FORMEL_WINDOWS_<ARCH>_STRIP    and its strip
#   FORMEL_WINDOWS_<ARCH>_TARGET   the ExternalProject target
function(formel_windows_tree arch triple package)
  set(prefix FORMEL_WINDOWS_${arch})
  set(${prefix}_TREE "" PARENT_SCOPE)
  foreach(tool g++ objdump dlltool strip)
    string(MAKE_C_IDENTIFIER "${triple}_${tool}" var)
    string(TOUPPER "FORMEL_${var}" var)
    find_program(${var} ${triple}-${tool})
    if(NOT ${var})
      set(${prefix}_MISSING "${triple}-${tool} not found (apt-get install ${package})" PARENT_SCOPE)
      return()
    endif()
    set(${tool}_path ${${var}})
  endforeach()

  set(tree ${PROJECT_BINARY_DIR}/windows-${arch})
  set(targets libformel formel_import_libs)
  if(FORMEL_BUILD_TESTS)
    list(APPEND targets formel_win_host formel_win_heap_test formel_linked_host)
  endif()
  # $(MAKE) lets the Windows build share the outer make's job slots. The
  # tree is regenerated first when a CMakeLists.txt changed: make would
  # otherwise refuse a target that an older configuration does not know.
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(build_command $(MAKE) cmake_check_build_system COMMAND $(MAKE) ${targets})
  else()
    set(build_command ${CMAKE_COMMAND} <BINARY_DIR>
        COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${targets})
  endif()
  set(target formel_windows_${arch})
  ExternalProject_Add(${target}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${tree}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-${triple}.cmake
      -DFORMEL_WERROR=${FORMEL_WERROR}
      -DFORMEL_BUILD_TESTS=${FORMEL_BUILD_TESTS}
    BUILD_COMMAND ${build_command}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS
      ${tree}/formel.dll ${tree}/formel.lib ${tree}/libformel.dll.a ${tree}/formel.def)
  set(${prefix}_TREE ${tree} PARENT_SCOPE)
  set(${prefix}_OBJDUMP ${objdump_path} PARENT_SCOPE)
  set(${prefix}_STRIP ${strip_path} PARENT_SCOPE)
  set(${prefix}_TARGET ${target} PARENT_SCOPE)
endfunction()

if(FORMEL_WINDOWS_SUITE)
  formel_windows_tree(x86 i686-w64-mingw32 g++-mingw-w64-i686)
  formel_windows_tree(x64 x86_64-w64-mingw32 g++-mingw-w64-x86-64)
  foreach(arch x86 x64)
    if(NOT FORMEL_WINDOWS_${arch}_TREE)
      formel_left_out("the Windows DLL for ${arch} and its tests" "${FORMEL_WINDOWS_${arch}_MISSING}")
    endif()
  endforeach()
endif()

# The release kit, from both trees: x86/ and x64/ (DLL without its debug
# information, import libraries, .def), include/ (formel.h,
# formel_evaluator.h and formel_prepared.h), the Windows guide
# (docs/windows.md) as README.txt, and the licence.
set(FORMEL_WINDOWS_KIT ${PROJECT_BINARY_DIR}/formel-${PROJECT_VERSION}-windows.zip)
if(FORMEL_WINDOWS_x86_TREE AND FORMEL_WINDOWS_x64_TREE)
  set(kit_inputs ${PROJECT_SOURCE_DIR}/docs/windows.md ${PROJECT_SOURCE_DIR}/LICENSE
      ${PROJECT_SOURCE_DIR}/include/formel.h ${PROJECT_SOURCE_DIR}/include/formel_evaluator.h
      ${PROJECT_SOURCE_DIR}/include/formel_prepared.h
      ${CMAKE_CURRENT_LIST_DIR}/WindowsKit.cmake)
  foreach(tree ${FORMEL_WINDOWS_x86_TREE} ${FORMEL_WINDOWS_x64_TREE})
    list(APPEND kit_inputs ${tree}/formel.dll ${tree}/formel.lib ${tree}/libformel.dll.a ${tree}/formel.def)
  endforeach()
  add_custom_command(OUTPUT ${FORMEL_WINDOWS_KIT}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DX86_TREE=${FORMEL_WINDOWS_x86_TREE} -DX64_TREE=${FORMEL_WINDOWS_x64_TREE}
            -DX86_STRIP=${FORMEL_WINDOWS_x86_STRIP} -DX64_STRIP=${FORMEL_WINDOWS_x64_STRIP}
            -DSTAGE_DIR=${PROJECT_BINARY_DIR}/windows-kit -DZIP=${FORMEL_WINDOWS_KIT}
            -P ${CMAKE_CURRENT_LIST_DIR}/WindowsKit.cmake
    DEPENDS ${kit_inputs}
    COMMENT "Windows release kit ${FORMEL_WINDOWS_KIT}"
    VERBATIM)
  add_custom_target(windows_kit ALL DEPENDS ${FORMEL_WINDOWS_KIT})
  add_dependencies(windows_kit ${FORMEL_WINDOWS_x86_TARGET} ${FORMEL_WINDOWS_x64_TARGET})
endif()
