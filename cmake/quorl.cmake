# quorl_test(NAME SOURCES src... LIBS lib... [LABELS l...] [TIMEOUT s] [SERIAL])
# One test program is one ctest test: under Wine each process start is
# expensive, so the cases of a program are not registered one by one.
function(quorl_test name)
  cmake_parse_arguments(T "SERIAL;WAITS_ON_WINDOWS" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(WIN32)
    set_target_properties(${name} PROPERTIES SUFFIX ".exe")
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_WAITS_ON_WINDOWS)
    # A watcher thread that answers the message boxes and dialogs the code
    # shows, or a wait for another program's windows: the only tests that
    # tools/wine-suite.sh runs once more when they fail (and names).
    list(APPEND T_LABELS window_wait)
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_SERIAL)
    # Tests that put windows on the shared desktop or own the clipboard.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# quorl_fuzz(NAME SOURCES src... LIBS lib... CORPUS dir)
# A libFuzzer target (native clang build only).  ctest replays its checked-in
# corpus once; tools/fuzz.sh (make fuzz) runs it for a while.
function(quorl_fuzz name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR NOT QUORL_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzzers)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzzers)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers/${name}.corpus "${F_CORPUS}\n")
  add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${F_CORPUS})
  set_tests_properties(${name}_corpus PROPERTIES TIMEOUT 120)
endfunction()

# quorl_bench(NAME SOURCES src... LIBS lib...)
# A benchmark program: built for both targets, never run as a test;
# tools/bench.sh (make bench) runs them all and prints their figures.
# Every benchmark, for a build that wants only them (make bench's native
# release build).
if(NOT TARGET quorl_benches)
  add_custom_target(quorl_benches)
endif()
function(quorl_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  add_dependencies(quorl_benches ${name})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# Each folder builds a platform-neutral core, quorl_<folder>_core (both
# builds; tested natively under the sanitizers), and on Windows its Win32
# twin, quorl_<folder>, that holds its screens.  A folder keeps one list of
# core sources and one of Win32 sources and passes them here:
#
#   quorl_folder_targets(<folder>
#     CORE_SOURCES src...  CORE_LIBS lib...
#     WIN_SOURCES src...   WIN_LIBS lib...)
#
# A core without sources yet is an INTERFACE library, so that the twin and
# the tests can link it all the same; the twin links its core.
function(quorl_folder_targets folder)
  cmake_parse_arguments(F "" "" "CORE_SOURCES;CORE_LIBS;WIN_SOURCES;WIN_LIBS" ${ARGN})
  set(core quorl_${folder}_core)
  if(F_CORE_SOURCES)
    add_library(${core} STATIC ${F_CORE_SOURCES})
    set(scope PUBLIC)
  else()
    add_library(${core} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${core} ${scope} ${CMAKE_SOURCE_DIR})
  target_link_libraries(${core} ${scope} quorl_fw_core ${F_CORE_LIBS})
  if(WIN32 AND F_WIN_SOURCES)
    add_library(quorl_${folder} STATIC ${F_WIN_SOURCES})
    target_link_libraries(quorl_${folder} PUBLIC ${core} quorl_fw ${F_WIN_LIBS})
  endif()
endfunction()
