# Cross builds: the generators that run while building (alarm tone, file
# embedding) are compiled for the build machine, not for the target.
find_program(DKWT_HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(DKWT_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
file(MAKE_DIRECTORY ${DKWT_HOST_TOOLS_DIR})
foreach(tool embed_file make_alarm_tone)
  set(source ${CMAKE_SOURCE_DIR}/tools/${tool}.cpp)
  set(binary ${DKWT_HOST_TOOLS_DIR}/dkwt_${tool})
  add_custom_command(OUTPUT ${binary}
    COMMAND ${DKWT_HOST_CXX} -std=c++20 -O2 -o ${binary} ${source}
    DEPENDS ${source}
    COMMENT "Building the host tool dkwt_${tool}"
    VERBATIM)
  add_custom_target(dkwt_host_${tool} ALL DEPENDS ${binary})
  add_executable(dkwt_${tool} IMPORTED GLOBAL)
  set_target_properties(dkwt_${tool} PROPERTIES IMPORTED_LOCATION ${binary})
endforeach()
