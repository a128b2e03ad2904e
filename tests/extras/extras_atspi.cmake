# The extras window as a screen reader sees it (the shared AT-SPI tools beside
# the checkout; skipped without them).
set(_atspi_default "")
foreach(candidate ${CMAKE_SOURCE_DIR}/../shared/atspi ${CMAKE_SOURCE_DIR}/../../shared/atspi)
  if(NOT _atspi_default AND EXISTS ${candidate}/run_under_atspi.sh)
    get_filename_component(_atspi_default ${candidate} ABSOLUTE)
  endif()
endforeach()
set(DKWT_ATSPI_TOOLS "${_atspi_default}" CACHE PATH "The AT-SPI test tools (run_under_atspi.sh, atspi_dump.py, atspi_do.py)")
add_test(NAME DKWT.ExtrasAtspi COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/extras/extras_atspi.sh $<TARGET_FILE:DKWT> "${DKWT_ATSPI_TOOLS}")
set_tests_properties(DKWT.ExtrasAtspi PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
