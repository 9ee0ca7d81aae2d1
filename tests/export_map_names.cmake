# read_export_names(FILE OUT): the exported names, sorted, of a version-script
# export map ("Name;" entries) or of a module-definition file ("Name = ..."
# lines). Shared by the Linux and Windows export checks.
function(read_export_names file out)
  file(READ ${file} text)
  if(file MATCHES "\\.def$")
    string(REGEX MATCHALL "\n *[A-Za-z_]+ *=" names "${text}")
    list(TRANSFORM names REPLACE "[\n =]" "")
  else()
    string(REGEX MATCHALL "[A-Za-z_]+;" names "${text}")
    list(TRANSFORM names REPLACE ";" "")
  endif()
  list(REMOVE_ITEM names "")
  list(SORT names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()
