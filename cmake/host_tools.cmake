# Cross builds: the generators that run while building (alarm tone, file
# embedding) are compiled for the build machine, not for the target. They
# are made while configuring; a changed source configures again.
find_program(DKWT_HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(DKWT_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
file(MAKE_DIRECTORY ${DKWT_HOST_TOOLS_DIR})
foreach(tool embed_file make_alarm_tone)
  set(source ${CMAKE_SOURCE_DIR}/tools/${tool}.cpp)
  set(binary ${DKWT_HOST_TOOLS_DIR}/dkwt_${tool})
  if(NOT EXISTS ${binary} OR ${source} IS_NEWER_THAN ${binary})
    execute_process(COMMAND ${DKWT_HOST_CXX} -std=c++20 -O2 -o ${binary} ${source} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot build the host tool ${tool}")
    endif()
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  add_executable(dkwt_${tool} IMPORTED GLOBAL)
  set_target_properties(dkwt_${tool} PROPERTIES IMPORTED_LOCATION ${binary})
endforeach()
