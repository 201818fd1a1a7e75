# The layer check on a scratch copy of src/: the tree as it is passes; each
# planted include below passes or fails as its row says, and a failure names
# the file and the header.
#
#   cmake -DDOLV_SRC=<src> -DCHECK=<cmake/layer_check.cmake> -DSCRATCH=<folder> -P layer_check_test.cmake

cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${SCRATCH}")
file(COPY "${DOLV_SRC}/" DESTINATION "${SCRATCH}/src")
set(src "${SCRATCH}/src")
set(failures)

# check(<label> <expect: pass|fail> <text the message must hold>)
function(check label expect needle)
  execute_process(COMMAND ${CMAKE_COMMAND} -DDOLV_SRC=${src} -P ${CHECK}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(message "${out}${err}")
  if(expect STREQUAL "pass" AND NOT rc EQUAL 0)
    list(APPEND failures "${label}: refused, should pass:\n${message}")
  elseif(expect STREQUAL "fail" AND rc EQUAL 0)
    list(APPEND failures "${label}: passed, should be refused")
  elseif(expect STREQUAL "fail")
    string(REGEX REPLACE "[ \t\r\n]+" " " flat "${message}")
    string(FIND "${flat}" "${needle}" at)
    if(at LESS 0)
      list(APPEND failures "${label}: the message does not name '${needle}':\n${message}")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

check("the tree as it is" pass "")

# file | planted line | pass or fail | what the message names
set(rows
  "names/case.cpp|#include \"run/driver.h\"|fail|src/names/case.cpp includes \"run/driver.h\""
  "platform/cp850.cpp|#include \"names/strings.h\"|fail|names/ is above platform/"
  "platform/posix/search.cpp|  #  include \"report/err.h\"|fail|src/platform/posix/search.cpp includes \"report/err.h\""
  "base/short_text.h|#include \"platform/fs.h\"|fail|platform/ is above base/"
  "report/err.cpp|#include \"rename/batch.h\"|fail|rename/ is above report/"
  "rename/batch.cpp|#include \"interactive/terminal.h\"|fail|interactive/ is above rename/"
  "interactive/editor.cpp|#include \"run/options.h\"|fail|run/ is above interactive/"
  "names/paths.cpp|#include \"platform/posix/native.h\"|fail|the OS-specific headers stay in their folder"
  "run/driver.cpp|#include \"names/case.h\"|pass|"
  "platform/posix/console.cpp|#include \"platform/cp850.h\"|pass|"
  "names/case.cpp|// #include \"run/driver.h\"|pass|"
  "extra/thing.cpp|#include \"base/short_text.h\"|fail|the folder extra/ is in no layer")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 file)
  list(GET fields 1 line)
  list(GET fields 2 expect)
  list(LENGTH fields n)
  set(needle "")
  if(n GREATER 3)
    list(GET fields 3 needle)
  endif()
  set(path "${src}/${file}")
  set(before "")
  if(EXISTS "${path}")
    file(READ "${path}" before)
  endif()
  file(WRITE "${path}" "${before}\n${line}\n")
  check("${line} in src/${file}" ${expect} "${needle}")
  if(before STREQUAL "")
    file(REMOVE "${path}")
  else()
    file(WRITE "${path}" "${before}")
  endif()
endforeach()

file(REMOVE_RECURSE "${SCRATCH}")
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
