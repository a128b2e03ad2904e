# The real executable runs a task file that waits for a program to end.
add_test(NAME DKWT.TriggerRun COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/ui/trigger_run.sh $<TARGET_FILE:DKWT>)
# Runs alone: copies of DKWT started by other tests would count as another instance.
set_tests_properties(DKWT.TriggerRun PROPERTIES TIMEOUT 150 RUN_SERIAL TRUE)
