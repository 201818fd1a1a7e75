# The layer check on a scratch copy of src/: the tree as it is passes; each
# planted include below is kept or refused as its row says, and a refusal names
# the file and the header.
#
#   cmake -DDOLV_SRC=<src> -DCHECK=<cmake/layer_check.cmake> -DSCRATCH=<folder> -P layer_check_test.cmake

cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${SCRATCH}")
file(COPY "${DOLV_SRC}/" DESTINATION "${SCRATCH}/src")
set(src "${SCRATCH}/src")

# Runs the check on the scratch tree: sets rc and message.
macro(run_check)
  execute_process(COMMAND ${CMAKE_COMMAND} -DDOLV_SRC=${src} -P ${CHECK}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX REPLACE "[ \t\r\n]+" " " message "${out}${err}")
endmacro()

run_check()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "The tree as it is was refused:\n${out}${err}")
endif()

# file | planted line | refused or kept | for a refused line, what the message names.
# All are planted at once (one file each): the check names every problem.
set(rows
  "names/case.cpp|#include \"run/driver.h\"|refused|src/names/case.cpp includes \"run/driver.h\""
  "platform/cp850.cpp|#include \"names/strings.h\"|refused|src/platform/cp850.cpp includes \"names/strings.h\": names/ is above platform/"
  "platform/posix/search.cpp|  #  include \"report/err.h\"|refused|src/platform/posix/search.cpp includes \"report/err.h\""
  "base/short_text.h|#include \"platform/fs.h\"|refused|platform/ is above base/"
  "report/err.cpp|#include \"rename/batch.h\"|refused|rename/ is above report/"
  "rename/batch.cpp|#include \"interactive/terminal.h\"|refused|interactive/ is above rename/"
  "interactive/editor.cpp|#include \"run/options.h\"|refused|run/ is above interactive/"
  "names/paths.cpp|#include \"platform/posix/native.h\"|refused|src/names/paths.cpp includes \"platform/posix/native.h\": the OS-specific headers stay in their folder"
  "extra/thing.cpp|#include \"base/short_text.h\"|refused|the folder extra/ is in no layer"
  "run/driver.cpp|#include \"names/case.h\"|kept|"
  "platform/posix/console.cpp|#include \"platform/cp850.h\"|kept|"
  "names/merge.cpp|// #include \"run/driver.h\"|kept|")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 file)
  list(GET fields 1 line)
  file(APPEND "${src}/${file}" "\n${line}\n")
endforeach()

run_check()
file(REMOVE_RECURSE "${SCRATCH}")
set(failures)
if(rc EQUAL 0)
  list(APPEND failures "the planted includes passed")
endif()
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 file)
  list(GET fields 1 line)
  list(GET fields 2 verdict)
  if(verdict STREQUAL "refused")
    list(GET fields 3 needle)
  else()
    set(needle "src/${file} ")  # no problem at all in that file
  endif()
  string(FIND "${message}" "${needle}" at)
  if(verdict STREQUAL "refused" AND at LESS 0)
    list(APPEND failures "not refused: ${line} in src/${file}")
  elseif(verdict STREQUAL "kept" AND NOT at LESS 0)
    list(APPEND failures "refused, should be kept: ${line} in src/${file}")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}\nThe check said:\n${out}${err}")
endif()
