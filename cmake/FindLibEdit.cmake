# libedit (Debian: libedit-dev), which gives the formel program's prompt
# line editing and history: LibEdit_FOUND and LibEdit::LibEdit.
include(${CMAKE_CURRENT_LIST_DIR}/SystemLibrary.cmake)
formel_system_library(LibEdit editline/readline.h edit)
