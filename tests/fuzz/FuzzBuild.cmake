# The fuzz build (QB_BUILD_FUZZERS=ON, the "fuzz" preset): every target is
# compiled with libFuzzer's coverage and the address and undefined-behaviour
# sanitizers, so that the fuzz targets are guided by, and check, the code of
# the stand-in and server libraries they load at run time as well. Those
# libraries are linked with -Wl,--no-undefined, so the sanitizers' run time
# is the shared one (-shared-libsan), found through the build rpath.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QB_BUILD_FUZZERS needs clang: configure with the fuzz preset "
                      "(CMAKE_C_COMPILER=clang, CMAKE_CXX_COMPILER=clang++)")
endif()
if(QB_SANITIZE)
  message(FATAL_ERROR "QB_BUILD_FUZZERS brings its own sanitizers; leave QB_SANITIZE off")
endif()

add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                    -fno-sanitize-recover=undefined)
add_link_options(-fsanitize=address,undefined -shared-libsan)

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
                OUTPUT_VARIABLE QB_CLANG_RUNTIME_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
list(APPEND CMAKE_BUILD_RPATH ${QB_CLANG_RUNTIME_DIR})
# libFuzzer itself is linked by hand after the program's own objects
# (tests/fuzz/CMakeLists.txt): clang's -fsanitize=fuzzer would put libstdc++
# ahead of the shared sanitizer run time, which must come first.
set(QB_LIBFUZZER ${QB_CLANG_RUNTIME_DIR}/libclang_rt.fuzzer-${CMAKE_SYSTEM_PROCESSOR}.a)
if(NOT EXISTS ${QB_LIBFUZZER})
  message(FATAL_ERROR "libFuzzer not found at ${QB_LIBFUZZER}: install libclang-rt-14-dev")
endif()
