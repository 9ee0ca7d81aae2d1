# The pkg-config file with absolute install directories (as a distribution
# may configure them) and with relative ones. Takes SOURCE_DIR, WORK_DIR and
# PKG_CONFIG.
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${WORK_DIR})

function(write_pc prefix libdir includedir)
  set(CMAKE_INSTALL_PREFIX ${prefix})
  set(FORMEL_PC_TEMPLATE ${SOURCE_DIR}/cmake/formel.pc.in)
  set(FORMEL_PC_WORK_FILE ${WORK_DIR}/formel.pc)
  set(FORMEL_PC_LIBDIR ${libdir})
  set(FORMEL_PC_INCLUDEDIR ${includedir})
  set(FORMEL_PC_VERSION 1.2.3)
  include(${SOURCE_DIR}/cmake/WritePkgConfig.cmake)
endfunction()

function(expect_variable pcdir name expected)
  set(ENV{PKG_CONFIG_PATH} ${pcdir})
  execute_process(COMMAND ${PKG_CONFIG} --variable=${name} formel OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT value STREQUAL "${expected}")
    message(FATAL_ERROR "${name}: expected [${expected}], got [${value}] (${status})")
  endif()
endfunction()

write_pc(${WORK_DIR}/usr ${WORK_DIR}/abs/lib64 ${WORK_DIR}/abs/include)
expect_variable(${WORK_DIR}/abs/lib64/pkgconfig libdir ${WORK_DIR}/abs/lib64)
expect_variable(${WORK_DIR}/abs/lib64/pkgconfig includedir ${WORK_DIR}/abs/include)

write_pc(${WORK_DIR}/opt lib/x86_64-linux-gnu include)
expect_variable(${WORK_DIR}/opt/lib/x86_64-linux-gnu/pkgconfig libdir ${WORK_DIR}/opt/lib/x86_64-linux-gnu)
expect_variable(${WORK_DIR}/opt/lib/x86_64-linux-gnu/pkgconfig includedir ${WORK_DIR}/opt/include)
file(REMOVE_RECURSE ${WORK_DIR})
