# Checks that the library LIBRARY exports exactly the seven registry
# functions. Run with: cmake -DNM=<nm> -DLIBRARY=<file> -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only --format=posix ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "(^|\n)[^ \n]+" names "${listing}")
list(TRANSFORM names STRIP)
list(SORT names)
set(expected RegCloseKey RegCreateKeyA RegDeleteKeyA RegDeleteValueA RegOpenKeyA
    RegQueryValueExA RegSetValueExA)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports [${names}], expected [${expected}]")
endif()
