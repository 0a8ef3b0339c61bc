# Run by CTest through a test program's include file (SuiteTests.cmake): lists the program's suites once per build
# of the program and registers one test for each.
if(NOT EXISTS "${suite_program}")
  # Not built: CTest reports the test as not run.
  add_test("${suite_label}:NOT_BUILT" "${suite_program}")
  return()
endif()
if(NOT EXISTS "${suite_list}" OR "${suite_program}" IS_NEWER_THAN "${suite_list}"
   OR "${suite_settings}" IS_NEWER_THAN "${suite_list}")
  execute_process(COMMAND "${suite_program}" --gtest_list_tests
    WORKING_DIRECTORY "${suite_directory}"
    OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 60)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Listing the suites of ${suite_program} failed (${result}):\n${listing}${errors}")
  endif()
  # Suites start their line and end with a dot (typed suites add "  # TypeParam = ..."); tests are indented.
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(tests "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
      set(suite "${CMAKE_MATCH_1}")
      set(name "${suite_label}:${suite}")
      string(APPEND tests
        "add_test([==[${name}]==] [==[${suite_program}]==] [==[--gtest_filter=${suite}.*]==] --gtest_also_run_disabled_tests)\n"
        "set_tests_properties([==[${name}]==] PROPERTIES WORKING_DIRECTORY [==[${suite_directory}]==]"
        " LABELS [==[${suite_label}]==] SKIP_RETURN_CODE 77 ENVIRONMENT [==[${suite_environment}]==])\n")
    endif()
  endforeach()
  file(WRITE "${suite_list}" "${tests}")
endif()
include("${suite_list}")
