# The Debian package (cpack -G DEB in the build folder; tools/dkwt-dev package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME duskwatch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGE_VENDOR "The Duskwatch developers")
set(CPACK_PACKAGE_CONTACT "The Duskwatch developers <support@duskwatch.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "countdown timer to shut down, restart, suspend or lock the computer")
set(CPACK_PACKAGE_DESCRIPTION
  "Duskwatch carries out one action after a countdown, at a chosen date and time,\n"
  "or every few days or weeks: shut down, restart, stand by, hibernate, log off,\n"
  "sound an alarm, turn the monitor off, run a privacy clean-up, lock the\n"
  "session or launch a file. Around the action it shows a reminder, sounds an\n"
  "alarm, wakes the computer from stand-by and cleans up browser and system\n"
  "traces. Repeated tasks are handed to systemd user timers.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://duskwatch.example.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap, for the wake-up capability the postinst grants.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/dist/debian/postinst ${CMAKE_SOURCE_DIR}/dist/debian/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
