# formel_system_library(NAME HEADER LIBRARY) for a Find<NAME>.cmake module:
# finds a C library of the system by its header and its library name, and
# gives <NAME>_FOUND and the imported target <NAME>::<NAME>.
include(FindPackageHandleStandardArgs)
function(formel_system_library name header library)
  find_path(${name}_INCLUDE_DIR ${header})
  find_library(${name}_LIBRARY ${library})
  find_package_handle_standard_args(${name} REQUIRED_VARS ${name}_LIBRARY ${name}_INCLUDE_DIR)
  set(${name}_FOUND ${${name}_FOUND} PARENT_SCOPE)
  if(${name}_FOUND AND NOT TARGET ${name}::${name})
    add_library(${name}::${name} UNKNOWN IMPORTED)
    set_target_properties(${name}::${name} PROPERTIES IMPORTED_LOCATION ${${name}_LIBRARY}
      INTERFACE_INCLUDE_DIRECTORIES ${${name}_INCLUDE_DIR})
  endif()
endfunction()
