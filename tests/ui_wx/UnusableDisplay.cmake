# Runs window tests against a display that is set but cannot be opened: they
# must fail (not skip), say why, and the failed toolkit start must leave
# nothing behind for the leak checker.
#   cmake -DPROGRAM=<deprlink_ui_wx_tests> -DFILTER=<gtest filter> -P UnusableDisplay.cmake
execute_process(COMMAND "${PROGRAM}" "--gtest_filter=${FILTER}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
set(faults "")
if(result EQUAL 0)
  string(APPEND faults "the tests passed without a display; ")
endif()
if(NOT output MATCHES "the toolkit did not start")
  string(APPEND faults "no test failed for want of the toolkit; ")
endif()
if(output MATCHES "SKIPPED")
  string(APPEND faults "a test skipped although a display was set; ")
endif()
if(output MATCHES "LeakSanitizer")
  string(APPEND faults "the failed start leaked; ")
endif()
if(NOT faults STREQUAL "")
  message(FATAL_ERROR "${faults}")
endif()
