# One CTest test per suite of a GoogleTest program, found when CTest starts (the program lists its suites).
# A suite runs in one process: a test program's start-up (loading a few hundred MB of instrumented code,
# relocating it, the sanitizers' own set-up) costs more than most of its tests, and a process per test spent most
# of the suite's CPU time on it. Failures still name their suite, and the program's output names the test.
set(DOVEMARK_SUITE_DISCOVERY ${CMAKE_CURRENT_LIST_DIR}/SuiteTestsDiscover.cmake)

# dovemark_add_suite_tests(<target> LABEL <label> ENVIRONMENT <VAR=value>...)
# The tests are named <label>:<suite> and carry the label and the environment.
function(dovemark_add_suite_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LABEL" "ENVIRONMENT")
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake)
  file(GENERATE OUTPUT ${include_file} CONTENT
"set(suite_program [==[$<TARGET_FILE:${target}>]==])
set(suite_label [==[${arg_LABEL}]==])
set(suite_environment [==[${arg_ENVIRONMENT}]==])
set(suite_directory [==[${CMAKE_CURRENT_BINARY_DIR}]==])
set(suite_list [==[${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake]==])
set(suite_settings [==[${include_file}]==])
include([==[${DOVEMARK_SUITE_DISCOVERY}]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
