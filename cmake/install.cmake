# What a user's system gets: the program (everything else is linked into it),
# its launcher, icons, AppStream data, man page and manual.
include(GNUInstallDirs)

find_program(DKWT_GROFF groff REQUIRED)
find_program(DKWT_GZIP gzip REQUIRED)

set(DKWT_APP_ID org.duskwatch.Duskwatch)
set(DKWT_DIST_SOURCE ${CMAKE_SOURCE_DIR}/dist)
set(DKWT_DIST_BINARY ${CMAKE_BINARY_DIR}/dist)
# The manual's HTML sits where an installed program finds it (../share);
# the build tree mirrors that beside the built DKWT.
set(DKWT_MANUAL_HTML ${CMAKE_BINARY_DIR}/share/duskwatch/DKWT.1.html)
file(MAKE_DIRECTORY ${DKWT_DIST_BINARY} ${CMAKE_BINARY_DIR}/share/duskwatch)

set(dist_outputs)

# Icons at the hicolor sizes; the small ones have their own, simpler drawing.
foreach(size 16 22 24 32 48 64 128 256)
  set(svg ${CMAKE_SOURCE_DIR}/res/art/main_icon.svg)
  if(size LESS_EQUAL 24)
    set(svg ${CMAKE_SOURCE_DIR}/res/art/main_icon_small.svg)
  endif()
  set(png ${DKWT_DIST_BINARY}/icons/${size}/${DKWT_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DKWT_DIST_BINARY}/icons/${size}
    COMMAND ${DKWT_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg}
    DEPENDS ${svg}
    COMMENT "Rendering the ${size} px application icon"
    VERBATIM)
  list(APPEND dist_outputs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# gzip -n: no time stamp, so the same sources give the same package.
function(dkwt_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "'${DKWT_GZIP}' -9nc '${source}' > '${output}'"
    DEPENDS ${source}
    VERBATIM)
endfunction()

dkwt_gzip(${DKWT_DIST_SOURCE}/DKWT.1 ${DKWT_DIST_BINARY}/DKWT.1.gz)
dkwt_gzip(${DKWT_DIST_SOURCE}/debian/changelog ${DKWT_DIST_BINARY}/changelog.gz)
add_custom_command(OUTPUT ${DKWT_MANUAL_HTML}
  COMMAND sh -c "'${DKWT_GROFF}' -man -Thtml '${DKWT_DIST_SOURCE}/DKWT.1' > '${DKWT_MANUAL_HTML}'"
  DEPENDS ${DKWT_DIST_SOURCE}/DKWT.1
  COMMENT "Rendering the manual"
  VERBATIM)
list(APPEND dist_outputs ${DKWT_DIST_BINARY}/DKWT.1.gz ${DKWT_DIST_BINARY}/changelog.gz ${DKWT_MANUAL_HTML})
add_custom_target(dkwt_dist ALL DEPENDS ${dist_outputs})

install(TARGETS DKWT RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${DKWT_DIST_SOURCE}/${DKWT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DKWT_DIST_SOURCE}/${DKWT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/res/art/main_icon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${DKWT_APP_ID}.svg)
install(FILES ${DKWT_DIST_BINARY}/DKWT.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${DKWT_MANUAL_HTML} DESTINATION ${CMAKE_INSTALL_DATADIR}/duskwatch)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${DKWT_DIST_SOURCE}/debian/copyright ${DKWT_DIST_BINARY}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/duskwatch)
