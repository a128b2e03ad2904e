# The clean-up preview dialog as a screen reader sees it (DKWT_ATSPI_TOOLS,
# from extras_atspi.cmake; skipped without them).
add_test(NAME DKWT.PreviewAtspi COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/extras/preview_atspi.sh $<TARGET_FILE:DKWT>
  $<TARGET_FILE:dkwt_make_profiles> "${DKWT_ATSPI_TOOLS}")
set_tests_properties(DKWT.PreviewAtspi PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
