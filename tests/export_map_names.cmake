# read_export_names(MAP OUT): the exported names of a version-script export
# map ("Name;" entries), sorted. Shared by the Linux and Windows export checks.
function(read_export_names map out)
  file(READ ${map} text)
  string(REGEX MATCHALL "[A-Za-z]+;" names "${text}")
  list(TRANSFORM names REPLACE ";" "")
  list(REMOVE_ITEM names "")
  list(SORT names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()
