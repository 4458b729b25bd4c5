# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX threads variant).
# The result is one static executable that needs no DLL beyond Windows' own; the
# tests run under Wine in a prefix kept inside the build directory.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_kestrava_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_kestrava_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_kestrava_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_kestrava_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_kestrava_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in: the executables import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run under 64-bit Wine, quietly, in the build directory's own
# prefix, without the Mono and Gecko installers that a new prefix would offer.
find_program(KESTRAVA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KESTRAVA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all
          WINEDLLOVERRIDES=mscoree,mshtml= ${KESTRAVA_WINE})
endif()
