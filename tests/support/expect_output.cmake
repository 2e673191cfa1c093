# Runs the command after "--" and passes only when it exits with STATUS (0
# unless given) and its standard output matches PATTERN; ctest's own match
# would ignore the status, and its WILL_FAIL would take a crash for a pass.
# Usage: cmake [-DSTATUS=n] -DPATTERN=regex -P expect_output.cmake -- program args...
set(command)
set(taking FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(taking)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(taking TRUE)
  endif()
endforeach()
execute_process(COMMAND ${command} OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT DEFINED STATUS)
  set(STATUS 0)
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}; the output:\n${out}")
endif()
if(NOT out MATCHES "${PATTERN}")
  message(FATAL_ERROR "the output does not match ${PATTERN}:\n${out}")
endif()
