# Runs orvane-cli once and compares its exit code and outputs.
#   cmake -DCLI=<program> -DARGS=<arguments separated by |> -DRC=<exit code>
#         [-DSTDOUT=<exact text>] [-DSTDOUT_REGEX=<regex>] [-DSTDOUT_LINES=<n>]
#         [-DSTDERR=<exact text>] [-DSTDERR_REGEX=<regex>]
#         [-DOUTPUT_FILE=<file that takes standard output>] -P run_cli.cmake
# In the expected texts "<LF>" stands for a line feed.
string(REPLACE "|" ";" _args "${ARGS}")
if(DEFINED OUTPUT_FILE)
  execute_process(COMMAND ${CLI} ${_args}
    RESULT_VARIABLE _rc OUTPUT_FILE ${OUTPUT_FILE} ERROR_VARIABLE _err)
  set(_out "")
else()
  execute_process(COMMAND ${CLI} ${_args}
    RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
endif()

set(_failed "")
macro(expect_text stream actual)
  if(DEFINED ${stream})
    string(REPLACE "<LF>" "\n" _want "${${stream}}")
    if(NOT "${actual}" STREQUAL "${_want}")
      string(APPEND _failed "${stream} differs.\n--- expected\n${_want}\n--- got\n${actual}\n")
    endif()
  endif()
  if(DEFINED ${stream}_REGEX)
    string(REPLACE "<LF>" "\n" _want "${${stream}_REGEX}")
    if(NOT "${actual}" MATCHES "${_want}")
      string(APPEND _failed "${stream} does not match ${_want}\n--- got\n${actual}\n")
    endif()
  endif()
endmacro()

if(NOT "${_rc}" STREQUAL "${RC}")
  string(APPEND _failed "exit code ${_rc}, expected ${RC}\n")
endif()
expect_text(STDOUT "${_out}")
expect_text(STDERR "${_err}")
if(DEFINED STDOUT_LINES)
  string(REGEX MATCHALL "\n" _lines "${_out}")
  list(LENGTH _lines _count)
  if(NOT _count EQUAL STDOUT_LINES)
    string(APPEND _failed "${_count} lines on standard output, expected ${STDOUT_LINES}\n")
  endif()
endif()

if(_failed)
  message(FATAL_ERROR "orvane-cli ${ARGS}\n${_failed}--- standard output\n${_out}--- standard error\n${_err}")
endif()
