# What `cmake --install` puts in place: the headers, the shared library (with
# its version and SONAME), the formel program, a CMake package
# (find_package(formel) gives formel::formel, with a version file) and a
# pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(FORMEL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/formel)

install(TARGETS libformel EXPORT formelTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/formel.h ${PROJECT_SOURCE_DIR}/include/formel_evaluator.h
               ${PROJECT_SOURCE_DIR}/include/formel_prepared.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET formel)
  install(TARGETS formel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT formelTargets NAMESPACE formel:: DESTINATION ${FORMEL_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/formelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/formelConfig.cmake INSTALL_DESTINATION ${FORMEL_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/formelConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/formelConfig.cmake ${PROJECT_BINARY_DIR}/formelConfigVersion.cmake
  DESTINATION ${FORMEL_PACKAGE_DIR})

# The pkg-config file is written when installing, so that it names the prefix
# actually installed to (cmake --install --prefix may differ from the one
# configured).
install(CODE "
  set(FORMEL_PC_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/formel.pc.in\")
  set(FORMEL_PC_WORK_FILE \"${PROJECT_BINARY_DIR}/formel.pc\")
  set(FORMEL_PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(FORMEL_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(FORMEL_PC_VERSION \"${PROJECT_VERSION}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/WritePkgConfig.cmake\")
")
