# Install rules, desktop files, man page and the Debian package, checked on
# the plain build only (a sanitizer build is no package).
if(NOT DKWT_SANITIZE AND NOT DKWT_TSAN AND NOT DKWT_FUZZ)
  add_test(NAME packaging COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/packaging.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  # Starts the packaged DKWT, which must not meet another test's copy.
  set_tests_properties(packaging PROPERTIES RUN_SERIAL TRUE TIMEOUT 600)
endif()
