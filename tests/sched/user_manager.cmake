# The scheduler against a real, private systemd user manager (root only).
add_test(NAME DKWT.SchedulerUserManager
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/sched/user_manager.sh $<TARGET_FILE:dkwt_sched_tests> $<TARGET_FILE:DKWT>)
set_tests_properties(DKWT.SchedulerUserManager PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 RUN_SERIAL TRUE)
