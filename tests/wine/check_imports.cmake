# Checks that Windows executables load no DLL besides Windows' own, so that
# each ships as a single file.
#
#   cmake -DOBJDUMP=<objdump> -P check_imports.cmake -- <exe>...

cmake_minimum_required(VERSION 3.20)

set(windows_dlls
  advapi32 bcrypt cfgmgr32 comctl32 comdlg32 crypt32 dwmapi gdi32 gdiplus imm32
  kernel32 msimg32 msvcrt ntdll ole32 oleacc oleaut32 rpcrt4 setupapi shell32
  shlwapi user32 userenv uxtheme version winmm winspool.drv ws2_32)

set(files "")
set(seen_separator FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(seen_separator)
    list(APPEND files "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(seen_separator TRUE)
  endif()
endforeach()
if(NOT OBJDUMP OR NOT files)
  message(FATAL_ERROR "usage: cmake -DOBJDUMP=<objdump> -P check_imports.cmake -- <exe>...")
endif()

set(problems "")
foreach(file IN LISTS files)
  execute_process(COMMAND ${OBJDUMP} -p ${file}
    RESULT_VARIABLE result OUTPUT_VARIABLE dump ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${file} failed: ${error}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  if(NOT imports)
    message(FATAL_ERROR "${file}: no imported DLLs found; is it a Windows executable?")
  endif()
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" name)
    string(REGEX REPLACE "\\.dll$" "" name "${name}")
    if(name MATCHES "^api-ms-win-" OR name IN_LIST windows_dlls)
      message(STATUS "${file}: ${dll}")
    else()
      string(APPEND problems "\n  ${file} loads ${dll}")
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "DLLs that are not part of Windows:${problems}\n"
    "Link them statically; if one is a Windows DLL, add it to ${CMAKE_CURRENT_LIST_FILE}.")
endif()
