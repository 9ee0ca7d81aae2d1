# formel.dll's exports and import libraries (Windows trees only), all from
# the one .def that binds each plain name to its 32-bit standard-call symbol
# ("Formel = Formel@4"):
#  - 32-bit: the DLL links with that .def as it is.
#  - 64-bit: there is one calling convention and no decoration, so the DLL
#    links with the plain names alone.
# The import libraries formel.lib (MSVC's name) and libformel.dll.a (MinGW's
# name for -lformel) are the same archive, made by dlltool from a .def of the
# symbols a caller's compiler emits: "Formel@4" on 32-bit, imported by the
# plain name (dlltool -k), and "Formel" on 64-bit. That .def goes into the
# release kit beside them.

# formel_windows_exports(TARGET DEF_FILE) gives TARGET its exports, adds the
# target formel_import_libs and sets FORMEL_IMPORT_LIBRARY (formel.lib) in
# the caller's scope. The .def and the libraries go to the top build folder.
function(formel_windows_exports target def_file)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_file})
  file(STRINGS ${def_file} library_line REGEX "^LIBRARY ")
  file(STRINGS ${def_file} bindings REGEX "^[ \t]*[^; \t].*=")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch x64)
    set(kill_at "")
  else()
    set(arch x86)
    set(kill_at --kill-at)
  endif()
  set(text "; formel.dll for ${arch}: the symbols a C compiler emits for its exports.\n")
  if(arch STREQUAL x86)
    string(APPEND text "; Each is exported under its plain name, without the @ and byte count.\n")
  endif()
  string(JOIN " " dlltool_line dlltool ${kill_at} --input-def formel.def --output-lib formel.lib)
  string(APPEND text "; Import library: ${dlltool_line}\n")
  string(APPEND text "${library_line}\nEXPORTS\n")
  foreach(binding IN LISTS bindings)
    if(NOT binding MATCHES "^[ \t]*([A-Za-z_][A-Za-z0-9_]*)[ \t]*=[ \t]*([A-Za-z_][A-Za-z0-9_]*@[0-9]+)[ \t]*$")
      message(FATAL_ERROR "${def_file}: not a NAME = NAME@BYTES line: ${binding}")
    endif()
    if(arch STREQUAL x64)
      string(APPEND text "  ${CMAKE_MATCH_1}\n")
    else()
      string(APPEND text "  ${CMAKE_MATCH_2}\n")
    endif()
  endforeach()

  # Rewritten only when it changes, so that a new configuration relinks nothing.
  set(import_def ${PROJECT_BINARY_DIR}/formel.def)
  file(WRITE ${import_def}.new "${text}")
  file(COPY_FILE ${import_def}.new ${import_def} ONLY_IF_DIFFERENT)
  file(REMOVE ${import_def}.new)

  if(arch STREQUAL x64)
    target_sources(${target} PRIVATE ${import_def})
  else()
    target_sources(${target} PRIVATE ${def_file})
  endif()

  set(lib ${PROJECT_BINARY_DIR}/formel.lib)
  set(mingw_lib ${PROJECT_BINARY_DIR}/libformel.dll.a)
  # Relative names: dlltool names symbols in the archive after the output path.
  add_custom_command(OUTPUT ${lib} ${mingw_lib}
    COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def formel.def --output-lib formel.lib
    COMMAND ${CMAKE_COMMAND} -E copy formel.lib libformel.dll.a
    DEPENDS ${import_def}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    COMMENT "Import libraries for formel.dll (${arch})"
    VERBATIM)
  add_custom_target(formel_import_libs ALL DEPENDS ${lib} ${mingw_lib})
  set(FORMEL_IMPORT_LIBRARY ${lib} PARENT_SCOPE)
endfunction()
