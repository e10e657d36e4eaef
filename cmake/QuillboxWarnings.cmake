# Warning flags shared by every target of the project.
function(qb_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
  if(QB_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
