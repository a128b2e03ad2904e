# The monitor and the clipboard under real headless compositors (GNOME's
# Mutter, sway, KWin) that the tests start themselves; skipped only when the
# compositor is not installed.
add_executable(dkwt_display_probe ${CMAKE_CURRENT_LIST_DIR}/display_probe.cpp)
target_link_libraries(dkwt_display_probe PRIVATE dkwt_os)
foreach(kind mutter sway kwin)
  add_test(NAME DKWT.WaylandSession.${kind}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/wayland_session.sh ${kind} $<TARGET_FILE:DKWT> $<TARGET_FILE:dkwt_display_probe>)
  # Runs alone: the task-file runs share the instance check with other tests' copies.
  set_tests_properties(DKWT.WaylandSession.${kind} PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
endforeach()
