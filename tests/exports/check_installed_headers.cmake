# Reads every installed header (-DHEADERS=a.h;b.h): it may include only the
# standard library and its own siblings, and may name nothing of the
# library's sources (namespace qm, their folders) nor of its tests.
foreach(header IN LISTS HEADERS)
  get_filename_component(name ${header} NAME)
  file(READ ${header} text)
  string(REGEX MATCHALL "#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]" includes "${text}")
  foreach(include IN LISTS includes)
    string(REGEX REPLACE ".*[<\"]([^>\"]+)[>\"]" "\\1" included "${include}")
    if(included MATCHES "/" AND NOT included MATCHES "^qmerrlog/[a-z_]+\\.h$")
      message(FATAL_ERROR "${name} includes ${included}, which is not installed")
    endif()
  endforeach()
  string(REGEX MATCH "TestAccess|[Ff]ake|[Mm]ock|[^A-Za-z_]tests?[^A-Za-z_(]|namespace qm[^A-Za-z_]|qm::" found "${text}")
  if(found)
    message(FATAL_ERROR "${name} names \"${found}\", which belongs to the library's sources or tests")
  endif()
endforeach()
message(STATUS "installed headers ok")
