# The monitor and the clipboard under real headless compositors (GNOME's
# Mutter, sway, KWin) that the tests start themselves; skipped only when the
# compositor is not installed.
add_executable(dkwt_display_probe ${CMAKE_CURRENT_LIST_DIR}/display_probe.cpp)
target_link_libraries(dkwt_display_probe PRIVATE dkwt_os)
# The GNOME session also runs the windows' GUI tests on the Wayland backend.
set(wayland_gui_mutter
  "$<TARGET_FILE:dkwt_ui_tests>=MainWindow.*"
  "$<TARGET_FILE:dkwt_extras_tests>=ExtrasTest.*"
  "$<TARGET_FILE:dkwt_sched_tests>=SavedTasks.*")
foreach(kind mutter sway kwin)
  add_test(NAME DKWT.WaylandSession.${kind}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/wayland_session.sh ${kind} $<TARGET_FILE:DKWT> $<TARGET_FILE:dkwt_display_probe>
            ${wayland_gui_${kind}})
  # Runs alone: the task-file runs share the instance check with other tests' copies.
  set_tests_properties(DKWT.WaylandSession.${kind} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE SKIP_RETURN_CODE 77
    ENVIRONMENT "DKWT_TEST_BINARY_DIR=${CMAKE_BINARY_DIR};DKWT_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endforeach()
