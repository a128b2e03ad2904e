# A clean-up task file run by the real executable (needs the test command's Xvfb and xclip).
add_test(NAME DKWT.TaskFileCleanup COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/cleanup/task_file_cleanup.sh $<TARGET_FILE:DKWT>)
set_tests_properties(DKWT.TaskFileCleanup PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
