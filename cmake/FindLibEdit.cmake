# libedit (Debian: libedit-dev), which gives the formel program's prompt line
# editing and history. Gives LibEdit_FOUND and the imported target
# LibEdit::LibEdit.
find_path(LibEdit_INCLUDE_DIR editline/readline.h)
find_library(LibEdit_LIBRARY edit)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(LibEdit REQUIRED_VARS LibEdit_LIBRARY LibEdit_INCLUDE_DIR)
if(LibEdit_FOUND AND NOT TARGET LibEdit::LibEdit)
  add_library(LibEdit::LibEdit UNKNOWN IMPORTED)
  set_target_properties(LibEdit::LibEdit PROPERTIES IMPORTED_LOCATION ${LibEdit_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${LibEdit_INCLUDE_DIR})
endif()
