# Reads formel.dll's export and import tables with objdump: it must export
# exactly the names of its module-definition file (EXPECTED), undecorated,
# which are those of the shared library's export map (EXPORT_MAP): the
# classic thirteen and the evaluator API. It imports nothing but KERNEL32 and
# the system's C runtime (no compiler runtime DLLs).
cmake_policy(SET CMP0007 NEW)
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${LIBRARY}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../export_map_names.cmake)

# The names follow the "[Ordinal/Name Pointer] Table" heading, one a line,
# as in "\t[   4] Formel", up to the next blank line.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no export name table in ${LIBRARY}")
endif()
string(SUBSTRING "${dump}" ${at} -1 names_part)
string(REGEX MATCH "Table\n(\t[^\n]+\n)*" names_part "${names_part}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" entries "${names_part}")
set(exported "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE ".* " "" name "${entry}")
  list(APPEND exported ${name})
endforeach()
list(SORT exported)
foreach(source IN ITEMS ${EXPECTED} ${EXPORT_MAP})
  read_export_names(${source} expected)
  if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "exports differ from ${source}\n expected: ${expected}\n found:    ${exported}")
  endif()
endforeach()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
if(NOT imports)
  message(FATAL_ERROR "no import table found in ${LIBRARY}")
endif()
foreach(dll IN LISTS imports)
  string(TOLOWER "${dll}" lower)
  if(NOT lower MATCHES "^(kernel32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\\.dll$")
    message(FATAL_ERROR "formel.dll imports ${dll}; allowed are KERNEL32 and the C runtime")
  endif()
endforeach()
message(STATUS "exports: ${exported}")
message(STATUS "imports: ${imports}")
