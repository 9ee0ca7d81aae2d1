# libcsv (Debian: libcsv-dev), which the formel program reads CSV records
# with: LibCsv_FOUND and LibCsv::LibCsv.
include(${CMAKE_CURRENT_LIST_DIR}/SystemLibrary.cmake)
formel_system_library(LibCsv csv.h csv)
