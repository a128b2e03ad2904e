# The browser items' tests join the clean-up folder's test program; until that
# program exists they build as a program of their own.
file(GLOB browser_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/browser_*_test.cpp)
if(TARGET dkwt_cleanup_tests)
  target_link_libraries(dkwt_cleanup_tests PRIVATE dkwt_browser_fixtures)
else()
  add_executable(dkwt_browser_tests ${browser_test_sources})
  target_link_libraries(dkwt_browser_tests PRIVATE dkwt_test_support dkwt_cleanup dkwt_browser_fixtures)
  gtest_discover_tests(dkwt_browser_tests DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "DKWT_TEST_BINARY_DIR=${CMAKE_BINARY_DIR};DKWT_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endif()

# A clean-up task file run by the real executable on generated profiles.
add_test(NAME DKWT.BrowserTaskRun
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/browser_task_run.sh $<TARGET_FILE:DKWT> $<TARGET_FILE:dkwt_make_profiles>)
set_tests_properties(DKWT.BrowserTaskRun PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE)
