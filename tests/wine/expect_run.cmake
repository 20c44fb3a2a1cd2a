# Runs a command and checks how it ended.
#
#   cmake -DEXPECT_EXIT=<code>|nonzero [-DEXPECT_OUTPUT=<regex>] [-DREPEAT=<n>]
#         -P expect_run.cmake -- <command> [arguments...]
#
# EXPECT_OUTPUT must match the combined standard output and error. REPEAT runs
# the command several times, for endings that are decided by a race.

cmake_minimum_required(VERSION 3.20)

set(command "")
set(seen_separator FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(seen_separator)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(seen_separator TRUE)
  endif()
endforeach()
if(NOT command)
  message(FATAL_ERROR "expect_run.cmake: no command after --")
endif()
if(NOT DEFINED EXPECT_EXIT)
  message(FATAL_ERROR "expect_run.cmake: EXPECT_EXIT is not set")
endif()
if(NOT DEFINED REPEAT)
  set(REPEAT 1)
endif()

foreach(run RANGE 1 ${REPEAT})
  execute_process(COMMAND ${command}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
  set(output "${out}${err}")
  string(REPLACE "\r" "" output "${output}")

  if(EXPECT_EXIT STREQUAL "nonzero")
    if(NOT result MATCHES "^[0-9]+$" OR result EQUAL 0)
      message(FATAL_ERROR "run ${run}: expected a non-zero exit code, got '${result}'\n${output}")
    endif()
  elseif(NOT result STREQUAL EXPECT_EXIT)
    message(FATAL_ERROR "run ${run}: expected exit code ${EXPECT_EXIT}, got '${result}'\n${output}")
  endif()
  if(DEFINED EXPECT_OUTPUT AND NOT output MATCHES "${EXPECT_OUTPUT}")
    message(FATAL_ERROR "run ${run}: output does not match '${EXPECT_OUTPUT}'\n${output}")
  endif()
  message(STATUS "run ${run}: exit code ${result} as expected")
endforeach()
