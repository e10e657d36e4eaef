# Checks that the library LIBRARY exports exactly the functions EXPECTED (a
# sorted, comma-separated list). Run with:
#   cmake -DNM=<nm> -DLIBRARY=<file> -DEXPECTED=<a,b,c> -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only --format=posix ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "(^|\n)[^ \n]+" names "${listing}")
list(TRANSFORM names STRIP)
list(SORT names)
string(REPLACE "," ";" expected "${EXPECTED}")
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports [${names}], expected [${expected}]")
endif()
