# Packs the Windows release kit (cmake -P; see WindowsCrossBuild.cmake).
# Takes SOURCE_DIR, X86_TREE and X64_TREE (the Windows build trees),
# X86_STRIP and X64_STRIP (their strip tools), STAGE_DIR (emptied and filled
# here) and ZIP (the kit to write).
file(REMOVE_RECURSE ${STAGE_DIR})
foreach(arch x86 x64)
  string(TOUPPER ${arch} ARCH)
  set(tree ${${ARCH}_TREE})
  foreach(file formel.lib libformel.dll.a formel.def)
    file(COPY ${tree}/${file} DESTINATION ${STAGE_DIR}/${arch})
  endforeach()
  # The trees build with debug information; the kit's DLLs go without.
  execute_process(COMMAND ${${ARCH}_STRIP} --strip-unneeded -o ${STAGE_DIR}/${arch}/formel.dll ${tree}/formel.dll
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not strip ${tree}/formel.dll")
  endif()
endforeach()
file(COPY ${SOURCE_DIR}/include/formel.h ${SOURCE_DIR}/include/formel_evaluator.h
     ${SOURCE_DIR}/include/formel_prepared.h DESTINATION ${STAGE_DIR}/include)

# Text files with Windows line ends, so that every editor shows them right.
function(write_windows_text path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

file(READ ${SOURCE_DIR}/LICENSE licence)
write_windows_text(${STAGE_DIR}/LICENSE.txt "${licence}")

# The Windows guide, written for the users of the DLLs.
file(READ ${SOURCE_DIR}/docs/windows.md guide)
write_windows_text(${STAGE_DIR}/README.txt "${guide}")

file(REMOVE ${ZIP})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip -- LICENSE.txt README.txt include x86 x64
  WORKING_DIRECTORY ${STAGE_DIR}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
