# Fixtures of the platform-layer tests: a stand-in ALSA mixer (machines here
# have no sound card), a launcher that runs a launch in a fresh process, and
# the built-in resources the tone test checks.
add_library(dkwt_alsa_test_mixer MODULE ${CMAKE_CURRENT_LIST_DIR}/alsa_test_mixer.c)
# PIC tells ALSA's headers to export the plugin's version symbol for dlopen.
target_compile_definitions(dkwt_alsa_test_mixer PRIVATE PIC)
target_link_libraries(dkwt_alsa_test_mixer PRIVATE PkgConfig::ALSA)

add_executable(dkwt_shell_launcher ${CMAKE_CURRENT_LIST_DIR}/shell_launcher.cpp)
target_link_libraries(dkwt_shell_launcher PRIVATE dkwt_os)

if(TARGET dkwt_os_tests)
  target_link_libraries(dkwt_os_tests PRIVATE dkwt_res)
  target_compile_definitions(dkwt_os_tests PRIVATE
    DKWT_ALSA_TEST_MIXER="$<TARGET_FILE:dkwt_alsa_test_mixer>"
    DKWT_SHELL_LAUNCHER="$<TARGET_FILE:dkwt_shell_launcher>")
  add_dependencies(dkwt_os_tests dkwt_alsa_test_mixer dkwt_shell_launcher)
endif()
