# DKWT.exe's resources, and what a Windows user gets: a zip (the program, the
# HTML manual, the README) and a per-user installer made with NSIS.
find_program(DKWT_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(DKWT_MAGICK convert REQUIRED)
find_program(DKWT_GROFF groff REQUIRED)
find_program(DKWT_MAKENSIS makensis REQUIRED)

set(DKWT_WIN_VERSION ${PROJECT_VERSION}.0)
set(DKWT_WIN_DIR ${CMAKE_BINARY_DIR}/windows)
file(MAKE_DIRECTORY ${DKWT_WIN_DIR})

# The icon: our own drawings at the sizes Windows asks for; the small ones
# have their own, simpler drawing.
set(DKWT_WIN_ICON ${DKWT_WIN_DIR}/duskwatch.ico)
set(icon_pngs)
foreach(size 16 24 32 48 64 256)
  set(svg ${CMAKE_SOURCE_DIR}/res/art/main_icon.svg)
  if(size LESS_EQUAL 24)
    set(svg ${CMAKE_SOURCE_DIR}/res/art/main_icon_small.svg)
  endif()
  set(png ${DKWT_WIN_DIR}/icon_${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${DKWT_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg}
    DEPENDS ${svg}
    VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
add_custom_command(OUTPUT ${DKWT_WIN_ICON}
  COMMAND ${DKWT_MAGICK} ${icon_pngs} ${DKWT_WIN_ICON}
  DEPENDS ${icon_pngs}
  COMMENT "Making the Windows icon"
  VERBATIM)

configure_file(${CMAKE_SOURCE_DIR}/dist/windows/DKWT.rc.in ${DKWT_WIN_DIR}/DKWT.rc @ONLY)
set_source_files_properties(${DKWT_WIN_DIR}/DKWT.rc PROPERTIES OBJECT_DEPENDS ${DKWT_WIN_ICON})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} ${DKWT_RC_FLAGS}")
string(REPLACE ";" " " CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS}")
target_sources(DKWT PRIVATE ${DKWT_WIN_DIR}/DKWT.rc)
set_target_properties(DKWT PROPERTIES WIN32_EXECUTABLE ON)

# The package: build-win/package/Duskwatch-<version>-win64.zip and -setup.exe.
set(DKWT_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(stage_name Duskwatch-${DKWT_WIN_VERSION}-win64)
set(stage ${DKWT_WIN_DIR}/${stage_name})
set(zip ${DKWT_PACKAGE_DIR}/${stage_name}.zip)
set(setup ${DKWT_PACKAGE_DIR}/${stage_name}-setup.exe)
set(manual ${DKWT_WIN_DIR}/DKWT.1.html)
add_custom_command(OUTPUT ${manual}
  COMMAND sh -c "'${DKWT_GROFF}' -man -Thtml '${CMAKE_SOURCE_DIR}/dist/DKWT.1' > '${manual}'"
  DEPENDS ${CMAKE_SOURCE_DIR}/dist/DKWT.1
  COMMENT "Rendering the manual"
  VERBATIM)
add_custom_command(OUTPUT ${zip} ${setup}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage} ${DKWT_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:DKWT> ${manual} ${CMAKE_SOURCE_DIR}/README.md ${stage}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
  COMMAND ${CMAKE_COMMAND} -E chdir ${DKWT_WIN_DIR} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${stage_name}
  COMMAND ${DKWT_MAKENSIS} -V2 -DVERSION=${DKWT_WIN_VERSION} -DSOURCE=${stage} -DICON=${DKWT_WIN_ICON}
          -DOUTFILE=${setup} ${CMAKE_SOURCE_DIR}/dist/windows/installer.nsi
  DEPENDS DKWT ${manual} ${DKWT_WIN_ICON} ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/dist/windows/installer.nsi
  COMMENT "Making ${stage_name}.zip and ${stage_name}-setup.exe"
  VERBATIM)
add_custom_target(windows_package DEPENDS ${zip} ${setup})
