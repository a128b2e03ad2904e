# Third-party libraries of the Windows build (made by tools/windows-deps):
# a static wxMSW found through its wx-config, and the SQLite amalgamation.
# Sets the same variables the Linux build gets from FindwxWidgets, so the
# folders' CMake files need not know the platform.
set(DKWT_WX_CONFIG "" CACHE FILEPATH "wx-config of the static wxMSW (tools/windows-deps prints it)")
set(DKWT_SQLITE_DIR "" CACHE PATH "Folder holding sqlite3.c and sqlite3.h (tools/windows-deps prints it)")
if(NOT EXISTS "${DKWT_WX_CONFIG}" OR NOT EXISTS "${DKWT_SQLITE_DIR}/sqlite3.c")
  message(FATAL_ERROR "Windows build: set DKWT_WX_CONFIG and DKWT_SQLITE_DIR (run tools/windows-deps)")
endif()

function(dkwt_wx_config out)
  execute_process(COMMAND ${DKWT_WX_CONFIG} --static=yes ${ARGN}
    OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${DKWT_WX_CONFIG} ${ARGN} failed")
  endif()
  separate_arguments(value UNIX_COMMAND "${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

dkwt_wx_config(wx_cxxflags --cxxflags)
dkwt_wx_config(wxWidgets_LIBRARIES --libs aui,adv,core,base,xml)
# The subsystem is the program's choice (DKWT.exe: GUI; tests: console).
list(FILTER wxWidgets_LIBRARIES EXCLUDE REGEX "^(-mwindows|-Wl,--subsystem,windows)$")
set(wxWidgets_INCLUDE_DIRS)
foreach(flag ${wx_cxxflags})
  if(flag MATCHES "^-I(.*)")
    list(APPEND wxWidgets_INCLUDE_DIRS ${CMAKE_MATCH_1})
  elseif(flag MATCHES "^-D(.*)")
    add_compile_definitions(${CMAKE_MATCH_1})
  else()
    add_compile_options(${flag})
  endif()
endforeach()
# windres needs wx's include folder for wx/msw/wx.rc (manifest, standard cursors).
dkwt_wx_config(wx_rcflags --rescomp)
set(DKWT_RC_FLAGS)
foreach(flag ${wx_rcflags})
  if(flag MATCHES "^--(include-dir|define)$" OR flag MATCHES "^-[ID]")
    list(APPEND DKWT_RC_FLAGS ${flag})
  elseif(DKWT_RC_FLAGS AND NOT flag MATCHES "^-")
    list(GET DKWT_RC_FLAGS -1 last)
    if(last STREQUAL "--define" AND flag MATCHES "^WX_CPU_")
      # wx/msw/wx.rc defines the CPU itself; a second definition only warns.
      list(REMOVE_AT DKWT_RC_FLAGS -1)
    elseif(last MATCHES "^--(include-dir|define)$")
      list(APPEND DKWT_RC_FLAGS ${flag})
    endif()
  endif()
endforeach()

# The amalgamation is third-party code: compiled without our warnings.
add_library(dkwt_sqlite STATIC ${DKWT_SQLITE_DIR}/sqlite3.c)
target_include_directories(dkwt_sqlite SYSTEM PUBLIC ${DKWT_SQLITE_DIR})
# Without debug information: it would triple the compile time of the 8 MB file.
target_compile_options(dkwt_sqlite PRIVATE -w -g0)
target_compile_definitions(dkwt_sqlite PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION)

# One self-contained program: no MinGW runtime DLLs beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

# MinGW's GCC 12 takes inlined std::string assignments for overlapping
# copies (GCC bug 105329) and -Werror would stop the build on them.
add_compile_options(-Wno-restrict)

# nlohmann-json is header-only: Debian's copy serves the Windows build too,
# through a folder of its own (the rest of /usr/include is Linux's).
find_path(DKWT_NLOHMANN_JSON nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(DKWT_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third-party/include)
file(MAKE_DIRECTORY ${DKWT_THIRD_PARTY_INCLUDE})
file(CREATE_LINK ${DKWT_NLOHMANN_JSON}/nlohmann ${DKWT_THIRD_PARTY_INCLUDE}/nlohmann SYMBOLIC)
include_directories(SYSTEM ${DKWT_THIRD_PARTY_INCLUDE})
