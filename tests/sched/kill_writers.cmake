# The writer that the torn-write test kills at random points.
add_executable(dkwt_kill_writer ${CMAKE_CURRENT_LIST_DIR}/kill_writer.cpp)
target_link_libraries(dkwt_kill_writer PRIVATE dkwt_sched dkwt_app dkwt_os)

if(TARGET dkwt_sched_tests)
  target_compile_definitions(dkwt_sched_tests PRIVATE DKWT_KILL_WRITER="$<TARGET_FILE:dkwt_kill_writer>")
  add_dependencies(dkwt_sched_tests dkwt_kill_writer)
endif()
