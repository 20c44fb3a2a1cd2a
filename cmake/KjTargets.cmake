# kj_add_module(<name> DEPS <targets...>)
# A static library from the .cpp files of the current folder. Files ending in
# _win32.cpp are built only for Windows, files ending in _posix.cpp only elsewhere.
function(kj_add_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC kj_standard ${ARG_DEPS})
endfunction()

# kj_use_wide_entry(<target>)
# For an executable whose entry point is wmain or wWinMain. MSVC picks the
# wide entry by itself; mingw must be told.
function(kj_use_wide_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()
