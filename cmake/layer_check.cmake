# The include layers of src/: a folder may include its own headers and those
# of the folders below it, never those of a folder above.
#
#   cmake -DDOLV_SRC=<the src folder> -P cmake/layer_check.cmake
#
# Fails, naming each offending line, when a file includes "x/..." of a
# higher layer, when a file outside platform/posix and platform/windows
# includes one of their headers (the OS stays inside them), or when a folder
# of src/ belongs to no layer. Run by the build (target dolv_layer_check)
# and tested by tests/layer_check_test.cmake.

cmake_minimum_required(VERSION 3.20)

# Bottom to top; platform/posix and platform/windows belong to platform.
set(layers base platform names report rename interactive run)

if(NOT DOLV_SRC OR NOT IS_DIRECTORY "${DOLV_SRC}")
  message(FATAL_ERROR "layer_check: DOLV_SRC must name the src folder")
endif()

file(GLOB_RECURSE files RELATIVE "${DOLV_SRC}" "${DOLV_SRC}/*.h" "${DOLV_SRC}/*.cpp")
list(SORT files)
set(problems)
foreach(file IN LISTS files)
  if(NOT file MATCHES "/")
    continue()  # a file beside the folders (none today) belongs to no layer
  endif()
  string(REGEX MATCH "^[^/]+" folder "${file}")
  list(FIND layers "${folder}" own)
  if(own LESS 0)
    list(APPEND problems "src/${file}: the folder ${folder}/ is in no layer (cmake/layer_check.cmake)")
    continue()
  endif()
  set(native FALSE)
  if(file MATCHES "^platform/(posix|windows)/")
    set(native TRUE)
  endif()
  file(STRINGS "${DOLV_SRC}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
    string(REGEX MATCH "^[^/]+" to "${header}")
    list(FIND layers "${to}" index)
    if(index GREATER own)
      list(APPEND problems "src/${file} includes \"${header}\": ${to}/ is above ${folder}/")
    elseif(NOT native AND header MATCHES "^platform/(posix|windows)/")
      list(APPEND problems "src/${file} includes \"${header}\": the OS-specific headers stay in their folder")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  list(JOIN layers " <- " order)
  message(FATAL_ERROR "Include against the layers (${order}):\n  ${text}")
endif()
