# The real executable, driven like a user drives it (needs the test command's Xvfb).
add_test(NAME DKWT.BinarySmoke COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/app/binary_smoke.sh $<TARGET_FILE:DKWT>)
# Runs alone: copies of DKWT started by other tests would count as another instance.
set_tests_properties(DKWT.BinarySmoke PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
