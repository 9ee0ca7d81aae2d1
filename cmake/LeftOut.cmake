# What this build leaves out because a package is missing, listed at the end
# of the configure step so that a new machine's first build says what it
# lacks instead of failing. .ci/packages.txt lists every package.

# formel_left_out(PART REASON): PART is not built or not tested.
function(formel_left_out part reason)
  set_property(GLOBAL APPEND PROPERTY FORMEL_LEFT_OUT "${part}: ${reason}")
endfunction()

function(formel_report_left_out)
  get_property(parts GLOBAL PROPERTY FORMEL_LEFT_OUT)
  if(NOT parts)
    message(STATUS "formel: every optional part is built")
    return()
  endif()
  list(LENGTH parts count)
  message(STATUS "formel: ${count} optional part(s) left out (install the packages of .ci/packages.txt for all):")
  foreach(part IN LISTS parts)
    message(STATUS "  - ${part}")
  endforeach()
endfunction()
