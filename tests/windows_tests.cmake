# The Windows test programs, run under Wine (tools/wine-run): the
# platform-neutral tests, and the Windows platform layer's own. Tests that
# need Linux services (logind, ALSA, systemd, /proc, fork) are not listed.
#
# Left out for now: tests that expect the test sandbox to hold the user's
# folders and settings. On Windows the desktop and the other known folders do
# not follow HOME/XDG_*, and the settings live in the Wine prefix's one
# HKEY_CURRENT_USER shared by every test; some also compare "/" paths, UTF-8
# file bytes or the Linux autostart file. They need a Windows-shaped sandbox.
# The clean-up run is left out until the clean-up exists on Windows.
set(windows_app_filter "-TaskFileName.SchedulerNamesAreStrict:TaskFileName.TaskOptionNamesStartWithAWord:\
TaskFileTest.LaunchPathChecks:TaskFileTest.SaveNamesTheFileByTheFirstArmedAction:TaskFileTest.SaveAndLoadRoundTrip:\
TaskFileTest.SaveShortWakeUpAndReminderAsMinimums:SettingsTest.*:ErrorLog.OneFilePerRunOnTheDesktop:\
ErrorLog.FallsBackToTheCurrentFolderWithoutADesktop:ErrorLog.UsesTheDesktopOfUserDirs:\
ErrorLog.AnUnwritableLogIsSkippedAndRetriedUnderANewName")
set(windows_ui_filter "-MainWindow.MenusAndToolBar:MainWindow.OptionsPersist:\
MainWindow.StartWithTheSessionFollowsTheOutcome:MainWindow.NowButtonsAskThenAct:Countdown.StopWhileIdleIsLogged:\
Countdown.FullCleanupNowSelectsAllThenRestores")
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

# Only Windows' own DLLs are imported.
find_program(DKWT_OBJDUMP ${DKWT_MINGW_TRIPLET}-objdump REQUIRED)
add_test(NAME WindowsImportsOnlySystemDlls
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/dist/windows_imports.sh ${DKWT_OBJDUMP} $<TARGET_FILE:DKWT>)
