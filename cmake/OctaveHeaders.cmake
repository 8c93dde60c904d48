# OctaveHeaders.cmake - finds mkoctfile and the folders of Octave's MEX headers (OCTAVE_INCLUDE_DIRS).

find_program(MKOCTFILE_EXECUTABLE mkoctfile REQUIRED)

function(_qorin_mkoctfile_query variable out)
  execute_process(COMMAND ${MKOCTFILE_EXECUTABLE} -p ${variable}
                  OUTPUT_VARIABLE value ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

_qorin_mkoctfile_query(INCFLAGS _octave_incflags)
string(REGEX MATCHALL "-I[^ ]+" _octave_includes "${_octave_incflags}")
set(OCTAVE_INCLUDE_DIRS "")
foreach(flag IN LISTS _octave_includes)
  string(SUBSTRING "${flag}" 2 -1 dir)
  get_filename_component(dir "${dir}" ABSOLUTE)
  list(APPEND OCTAVE_INCLUDE_DIRS "${dir}")
endforeach()
list(REMOVE_DUPLICATES OCTAVE_INCLUDE_DIRS)
