# Lists the Windows release kit (ZIP) and compares it with EXPECTED (one
# entry a line, "#" lines are comments, order does not matter); then
# unpacks it into WORK_DIR and checks the exports and imports of the DLLs it
# ships (stripped copies of the tested ones) with X86_OBJDUMP, X64_OBJDUMP,
# the module-definition file EXPORTS and the export map EXPORT_MAP.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot list ${ZIP}")
endif()
string(REGEX MATCHALL "[^\n]+" found "${listing}")
list(SORT found)
file(STRINGS ${EXPECTED} expected REGEX "^[^#]")
list(SORT expected)
list(JOIN found "\n  " found_text)
if(NOT found STREQUAL expected)
  list(JOIN expected "\n  " expected_text)
  message(FATAL_ERROR "${ZIP} differs\n expected:\n  ${expected_text}\n found:\n  ${found_text}")
endif()
message(STATUS "${ZIP}:\n  ${found_text}")

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()
foreach(arch x86 x64)
  string(TOUPPER ${arch} ARCH)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${${ARCH}_OBJDUMP} -DLIBRARY=${WORK_DIR}/${arch}/formel.dll
            -DEXPECTED=${EXPORTS} -DEXPORT_MAP=${EXPORT_MAP}
            -P ${CMAKE_CURRENT_LIST_DIR}/check_dll_exports.cmake
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the kit's ${arch}/formel.dll fails the export check")
  endif()
endforeach()
