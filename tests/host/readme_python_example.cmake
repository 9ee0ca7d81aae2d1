# The README's Python example runs against the built shared library and
# prints what the README says it prints. Takes README, PYTHON, LIBRARY_DIR
# and WORK_DIR.
include(${CMAKE_CURRENT_LIST_DIR}/../readme_blocks.cmake)
readme_blocks(${README} "### From Python" python text)
set(program "${README_python}")
set(expected "${README_text}")
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
