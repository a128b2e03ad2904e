# The Windows test programs, run under Wine (tools/wine-run): the
# platform-neutral tests, and the Windows platform layer's own. Tests that
# need Linux services (logind, ALSA, systemd, /proc, fork) are not listed.
#
# The test sandbox gives each test process a private HKEY_CURRENT_USER whose
# known folders point into it (tests/support/windows/sandbox_platform.cpp), so
# the tests of the user's folders and settings run here too, in parallel.
# Left out, each for a Linux-only shape:
# - SettingsTest.StartWithSystemFailuresPutTheRealStateBack: makes the start-up
#   fail with a file where the autostart folder belongs; the Run value of
#   HKCU cannot be blocked that way.
# - SettingsTest.Commands*: the file manager's scripts and launcher files;
#   the Explorer commands are registry keys, tested in tests/os/windows/.
# - Countdown.FullCleanupNowSelectsAllThenRestores: the clean-up runs and
#   restores the selection, but wxMSW's progress dialog leaves the main
#   window disabled afterwards under Wine (passes in Silent Mode); the whole
#   clean-up is tested by WindowsTaskFileCleanup below.
set(windows_app_filter "-SettingsTest.StartWithSystemFailuresPutTheRealStateBack:\
SettingsTest.CommandsKeepTheModeOfTheirInstallation:SettingsTest.CommandFailuresTellAndLeaveTheOptionAsItWas")
set(windows_ui_filter "-Countdown.FullCleanupNowSelectsAllThenRestores")
dkwt_test_folder(app dkwt_app SOURCES app/error_log_test.cpp app/settings_test.cpp app/task_file_test.cpp
                 FILTER ${windows_app_filter})
dkwt_test_folder(exec dkwt_exec SOURCES exec/task_execute_test.cpp)
dkwt_test_folder(ui dkwt_ui SOURCES ui/countdown_test.cpp ui/main_window_test.cpp FILTER ${windows_ui_filter})

file(GLOB os_windows_tests RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/os/windows/*.cpp)
if(os_windows_tests)
  dkwt_test_folder(os/windows dkwt_os SOURCES ${os_windows_tests})
endif()

# The real program under Wine and Xvfb (quiet commands, the main window), every action
# recorded by the dry-run switch; the screenshot is left in the build folder.
add_test(NAME WindowsProgram
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui/windows_program.sh $<TARGET_FILE:DKWT>
          ${CMAKE_BINARY_DIR}/Testing/main_window.png)
set_tests_properties(WindowsProgram PROPERTIES
  ENVIRONMENT "DKWT_WINE_RUN=${CMAKE_SOURCE_DIR}/tools/wine-run" TIMEOUT 120 RUN_SERIAL TRUE)

# The whole clean-up, every item, by the real program in a Wine prefix made for
# this test alone (never the build's shared prefix or ~/.wine).
add_test(NAME WindowsTaskFileCleanup
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cleanup/windows_task_cleanup.sh $<TARGET_FILE:DKWT>
          $<TARGET_FILE:dkwt_make_profiles> ${CMAKE_SOURCE_DIR}/tools/wine-run)
set_tests_properties(WindowsTaskFileCleanup PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)

# Only Windows' own DLLs are imported.
find_program(DKWT_OBJDUMP ${DKWT_MINGW_TRIPLET}-objdump REQUIRED)
add_test(NAME WindowsImportsOnlySystemDlls
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/dist/windows_imports.sh ${DKWT_OBJDUMP} $<TARGET_FILE:DKWT>)

# The Windows clean-up items that are no file walks: the registry histories,
# the clipboard and closing browsers (with a window program of our own).
add_executable(dkwt_closable_window WIN32 cleanup/windows/closable_window.cpp)
file(GLOB cleanup_windows_tests RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/cleanup/windows/*_test.cpp)
dkwt_test_folder(cleanup/windows dkwt_cleanup SOURCES ${cleanup_windows_tests})
target_compile_definitions(dkwt_cleanup_windows_tests PRIVATE
  DKWT_CLOSABLE_WINDOW="$<TARGET_FILE_NAME:dkwt_closable_window>")
add_dependencies(dkwt_cleanup_windows_tests dkwt_closable_window)

# The recycle bin in a Unix trash of the test's own (never the user's).
add_executable(dkwt_recycle_bin_test cleanup/windows/bin/recycle_bin_test.cpp)
target_link_libraries(dkwt_recycle_bin_test PRIVATE dkwt_test_support dkwt_os)
add_test(NAME WindowsRecycleBin
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/cleanup/windows/bin/recycle_bin_test.sh
          ${CMAKE_SOURCE_DIR}/tools/wine-run $<TARGET_FILE:dkwt_recycle_bin_test>)
set_tests_properties(WindowsRecycleBin PROPERTIES TIMEOUT 120)
