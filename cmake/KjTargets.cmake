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

# kj_add_resources(<name> <script.rc> DEPENDS <files...>)
# An object library of one UTF-8 resource script of the current folder,
# compiled on its own: the project's compiler warnings (kj_standard) mean
# nothing to the resource compiler (enabled for Windows builds in the top
# CMakeLists.txt). The script sees the project's folder and
# the generated headers (kj_version.h); DEPENDS lists what else it includes.
function(kj_add_resources name script)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  add_library(${name} OBJECT ${script})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}
    ${PROJECT_BINARY_DIR}/generated)
  if(MSVC)
    target_compile_options(${name} PRIVATE /c65001)
  else()
    target_compile_options(${name} PRIVATE --codepage=65001)
  endif()
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS
    "${ARG_DEPENDS};${PROJECT_BINARY_DIR}/generated/kj_version.h")
endfunction()
