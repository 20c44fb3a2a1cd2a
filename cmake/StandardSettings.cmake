# One interface target carries the project's warning and language settings;
# every target of the project links it.
add_library(kj_standard INTERFACE)
target_compile_features(kj_standard INTERFACE cxx_std_20)
if(MSVC)
  target_compile_options(kj_standard INTERFACE /W4 /WX /utf-8 /permissive-)
  target_compile_definitions(kj_standard INTERFACE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
else()
  # No -Wnull-dereference, and -Wmaybe-uninitialized off: with optimisation
  # g++ 12 reports both inside libstdc++'s own inlined code (std::string built
  # from an istreambuf_iterator, a std::wstring member of an aggregate in an
  # initializer list), and -Werror turns that into a broken build. Definite
  # uses of uninitialised values are still -Wuninitialized errors; the
  # sanitizer build catches null dereferences at run time.
  target_compile_options(kj_standard INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
    -Werror -finput-charset=UTF-8 -fexec-charset=UTF-8)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(kj_standard INTERFACE -Wno-maybe-uninitialized)
  endif()
  if(WIN32)
    target_compile_definitions(kj_standard INTERFACE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
  endif()
endif()
if(KJ_FUZZ)
  # Coverage for libFuzzer in every object; the fuzz targets link -fsanitize=fuzzer.
  target_compile_options(kj_standard INTERFACE -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kj_standard INTERFACE -fsanitize=address,undefined)
endif()
if(KJ_SANITIZE)
  target_compile_options(kj_standard INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kj_standard INTERFACE -fsanitize=address,undefined)
endif()
