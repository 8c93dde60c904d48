# Sources.cmake - the products' source lists from cmake/sources.txt, which build_qorincam.m reads too.
#
# qorin_sources(<product> <variable>) sets <variable> to the product's files (absolute paths,
# globs expanded) and gives the files listed with flags those flags as COMPILE_OPTIONS in the
# calling directory, on x86 with compilers other than MSVC.

set(QORIN_SOURCE_LIST "${CMAKE_CURRENT_LIST_DIR}/sources.txt")
get_filename_component(QORIN_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${QORIN_SOURCE_LIST}")

function(qorin_sources product variable)
  file(STRINGS "${QORIN_SOURCE_LIST}" lines)
  set(files "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(REGEX MATCHALL "[^ \t]+" words "${line}")
    list(LENGTH words count)
    if(count LESS 2)
      continue()
    endif()
    list(POP_FRONT words name pattern)
    if(NOT name STREQUAL product)
      continue()
    endif()
    file(GLOB matched CONFIGURE_DEPENDS "${QORIN_SOURCE_ROOT}/${pattern}")
    if(NOT matched)
      message(FATAL_ERROR "cmake/sources.txt: no file matches ${pattern} (${product})")
    endif()
    list(APPEND files ${matched})
    if(words AND NOT MSVC AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i.86)$")
      set_source_files_properties(${matched} PROPERTIES COMPILE_OPTIONS "${words}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES files)
  set(${variable} "${files}" PARENT_SCOPE)
endfunction()
