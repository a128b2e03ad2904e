# The installed right-click commands really start the program: each Nautilus
# script and each desktop action runs DKWT, whose action lands in the dry-run
# record.
add_executable(dkwt_install_context_commands ${CMAKE_CURRENT_LIST_DIR}/install_context_commands.cpp)
target_link_libraries(dkwt_install_context_commands PRIVATE dkwt_app)
add_test(NAME IntegrationCommands.RunTheProgramUnderDryRun
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/integration_commands.sh $<TARGET_FILE:DKWT>
          $<TARGET_FILE:dkwt_install_context_commands>)
set_tests_properties(IntegrationCommands.RunTheProgramUnderDryRun PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE)
