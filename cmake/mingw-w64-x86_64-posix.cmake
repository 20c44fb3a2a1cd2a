# Cross build for 64-bit Windows with mingw-w64, POSIX thread model (the
# standard library's threads and mutexes come from winpthreads).
#
# Everything is linked statically, so the executables need no DLL besides
# Windows' own. Tests run under Wine through scripts/wine-run.sh, with a Wine
# prefix inside the build folder.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KJ_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KJ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KJ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KJ_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KJ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(_kj_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    "${_kj_source_dir}/scripts/wine-run.sh;--prefix;${CMAKE_BINARY_DIR}/wineprefix;exec")
  unset(_kj_source_dir)
endif()
