# "DKWT -preview" run by the real executable, with no display.
add_test(NAME DKWT.PreviewCommand
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/preview_command.sh $<TARGET_FILE:DKWT> $<TARGET_FILE:dkwt_make_profiles>)
set_tests_properties(DKWT.PreviewCommand PROPERTIES TIMEOUT 120)
