# Installs the built project into a fresh prefix, then builds and runs the
# consumer project against it both ways: as a CMake package and through
# pkg-config (when PKG_CONFIG names it). The consumer is a classic host and
# the README's example of independent evaluators, which must print what the
# README says. Takes BUILD_DIR, WORK_DIR, SOURCE_DIR, LIBDIR, GENERATOR,
# PKG_CONFIG and README.
cmake_minimum_required(VERSION 3.20)

# The README's evaluator example, and what it prints.
include(${CMAKE_CURRENT_LIST_DIR}/../readme_blocks.cmake)
readme_blocks(${README} "## Independent evaluators" c text)
set(example "${README_c}")
set(example_output "${README_text}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_output expected)
  if(NOT run_output STREQUAL "${expected}")
    message(FATAL_ERROR "expected [${expected}], got [${run_output}]")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The shared library carries its version, and its SONAME names the major one.
foreach(file include/formel.h include/formel_evaluator.h ${LIBDIR}/libformel.so.1.0.0 ${LIBDIR}/libformel.so.1
             ${LIBDIR}/libformel.so ${LIBDIR}/cmake/formel/formelConfigVersion.cmake
             ${LIBDIR}/pkgconfig/formel.pc bin/formel)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
find_program(READELF readelf)
if(READELF)
  run(${READELF} -d ${prefix}/${LIBDIR}/libformel.so.1.0.0)
  if(NOT run_output MATCHES "SONAME[^\n]*libformel\\.so\\.1\\]")
    message(FATAL_ERROR "no SONAME libformel.so.1:\n${run_output}")
  endif()
endif()

run(${prefix}/bin/formel 2*3 "upper(\"ok\")")
expect_output("6\nOK\n")

set(ways package)
if(PKG_CONFIG)
  list(APPEND ways pkg-config)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
endif()
file(WRITE ${WORK_DIR}/readme_evaluators.c "${example}")
foreach(way ${ways})
  set(build ${WORK_DIR}/consumer-${way})
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${build} -G ${GENERATOR}
      -DCMAKE_PREFIX_PATH=${prefix} -DFORMEL_CONSUME=${way} -DPKG_CONFIG_EXECUTABLE=${PKG_CONFIG}
      -DFORMEL_EVALUATOR_EXAMPLE=${WORK_DIR}/readme_evaluators.c)
  run(${CMAKE_COMMAND} --build ${build})
  run(${build}/consumer)
  expect_output("56\n")
  run(${build}/readme_evaluators)
  expect_output("${example_output}")
endforeach()

# The version file refuses another major version.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${WORK_DIR}/consumer-v2
                -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix} -DFORMEL_REQUIRE_VERSION=2.0
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(status EQUAL 0)
  message(FATAL_ERROR "find_package(formel 2.0) accepted version 1")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
