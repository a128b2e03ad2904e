# Wayland client code for the compositors' monitor-power, clipboard and idle
# protocols, generated from their XML at build time. KWin's DPMS and idle
# protocols come from Debian's plasma-wayland-protocols; the wlroots and ext ones are
# carried in protocols/.
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT WAYLAND_SCANNER)
  message(FATAL_ERROR "wayland-scanner not found (Debian: libwayland-bin)")
endif()
find_path(PLASMA_WAYLAND_PROTOCOLS_DIR dpms.xml PATHS /usr/share/plasma-wayland-protocols REQUIRED)

set(protocol_xmls
    ${PLASMA_WAYLAND_PROTOCOLS_DIR}/dpms.xml
    ${PLASMA_WAYLAND_PROTOCOLS_DIR}/idle.xml
    ${CMAKE_CURRENT_SOURCE_DIR}/linux/protocols/wlr-output-power-management-unstable-v1.xml
    ${CMAKE_CURRENT_SOURCE_DIR}/linux/protocols/wlr-data-control-unstable-v1.xml
    ${CMAKE_CURRENT_SOURCE_DIR}/linux/protocols/ext-data-control-v1.xml
    ${CMAKE_CURRENT_SOURCE_DIR}/linux/protocols/ext-idle-notify-v1.xml)
set(protocol_dir ${CMAKE_CURRENT_BINARY_DIR}/wayland)
file(MAKE_DIRECTORY ${protocol_dir})
set(protocol_sources)
foreach(xml ${protocol_xmls})
  get_filename_component(base ${xml} NAME_WE)
  add_custom_command(OUTPUT ${protocol_dir}/${base}-client.h ${protocol_dir}/${base}-protocol.c
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${protocol_dir}/${base}-client.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${protocol_dir}/${base}-protocol.c
    DEPENDS ${xml} VERBATIM)
  list(APPEND protocol_sources ${protocol_dir}/${base}-client.h ${protocol_dir}/${base}-protocol.c)
endforeach()
target_sources(dkwt_os PRIVATE ${protocol_sources})
target_include_directories(dkwt_os PRIVATE ${protocol_dir})
target_link_libraries(dkwt_os PRIVATE PkgConfig::WAYLAND)
