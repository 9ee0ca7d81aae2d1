# Writes and installs formel.pc for CMAKE_INSTALL_PREFIX, at install time
# (or with cmake -P). Takes FORMEL_PC_TEMPLATE, FORMEL_PC_WORK_FILE,
# FORMEL_PC_LIBDIR, FORMEL_PC_INCLUDEDIR and FORMEL_PC_VERSION. A relative
# directory is written below ${prefix}; an absolute one stays as it is.
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${FORMEL_PC_${kind}}")
    set(FORMEL_PC_${kind}_VALUE "${FORMEL_PC_${kind}}")
    set(FORMEL_PC_${kind}_PATH "${FORMEL_PC_${kind}}")
  else()
    set(FORMEL_PC_${kind}_VALUE "\${prefix}/${FORMEL_PC_${kind}}")
    set(FORMEL_PC_${kind}_PATH "${CMAKE_INSTALL_PREFIX}/${FORMEL_PC_${kind}}")
  endif()
endforeach()
set(FORMEL_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
configure_file("${FORMEL_PC_TEMPLATE}" "${FORMEL_PC_WORK_FILE}" @ONLY)
file(INSTALL "${FORMEL_PC_WORK_FILE}" DESTINATION "${FORMEL_PC_LIBDIR_PATH}/pkgconfig")
