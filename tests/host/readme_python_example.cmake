# The README's Python example runs against the built shared library and
# prints what the README says it prints. Takes README, PYTHON, LIBRARY_DIR
# and WORK_DIR.
file(READ ${README} readme)
string(FIND "${readme}" "### From Python" section)
if(section EQUAL -1)
  message(FATAL_ERROR "README: no section \"From Python\"")
endif()
string(SUBSTRING "${readme}" ${section} -1 readme)

# The text of the first ``` block of the given kind.
function(fenced_text kind out)
  string(FIND "${readme}" "```${kind}\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "README: no ${kind} block in \"From Python\"")
  endif()
  string(LENGTH "```${kind}\n" fence)
  math(EXPR start "${start} + ${fence}")
  string(SUBSTRING "${readme}" ${start} -1 rest)
  string(FIND "${rest}" "```" end)
  string(SUBSTRING "${rest}" 0 ${end} text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

fenced_text(python program)
fenced_text(text expected)
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/example.py "${program}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${LIBRARY_DIR} ${PYTHON} ${WORK_DIR}/example.py
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the example failed (${status}):\n${errors}")
endif()
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "the example printed:\n${output}\nthe README says:\n${expected}")
endif()
