# Cross-compiling for 64-bit Windows with Debian's MinGW-w64.
# The -posix compilers use the POSIX thread model, so std::thread works.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DKWT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DKWT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DKWT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DKWT_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DKWT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under Wine (tools/wine-run keeps a private prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
