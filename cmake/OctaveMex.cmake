# OctaveMex.cmake - builds MEX files for GNU Octave from CMake, the way mkoctfile does.

find_program(MKOCTFILE_EXECUTABLE mkoctfile REQUIRED)

function(_qorin_mkoctfile_query variable out)
  execute_process(COMMAND ${MKOCTFILE_EXECUTABLE} -p ${variable}
                  OUTPUT_VARIABLE value ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

_qorin_mkoctfile_query(INCFLAGS _octave_incflags)
_qorin_mkoctfile_query(OCTLIBDIR _octave_libdir)
string(REGEX MATCHALL "-I[^ ]+" _octave_includes "${_octave_incflags}")
set(OCTAVE_INCLUDE_DIRS "")
foreach(flag IN LISTS _octave_includes)
  string(SUBSTRING "${flag}" 2 -1 dir)
  get_filename_component(dir "${dir}" ABSOLUTE)
  list(APPEND OCTAVE_INCLUDE_DIRS "${dir}")
endforeach()
list(REMOVE_DUPLICATES OCTAVE_INCLUDE_DIRS)
find_library(OCTAVE_OCTINTERP_LIBRARY octinterp HINTS "${_octave_libdir}" REQUIRED)
find_library(OCTAVE_OCTAVE_LIBRARY octave HINTS "${_octave_libdir}" REQUIRED)

# Interface target with the MEX API headers and libraries of the host.
add_library(octave_mex_api INTERFACE)
target_include_directories(octave_mex_api SYSTEM INTERFACE ${OCTAVE_INCLUDE_DIRS})
target_link_libraries(octave_mex_api INTERFACE ${OCTAVE_OCTINTERP_LIBRARY} ${OCTAVE_OCTAVE_LIBRARY})

# qorin_add_mex(<name> <sources...>): a .mex module in build/mex that exports only
# mexFunction and binds its own symbols first, so that two MEX files loaded with
# global binding never call each other's functions.
function(qorin_add_mex name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX ".mex"
    LIBRARY_OUTPUT_DIRECTORY "${QORIN_MEX_DIR}"
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  target_link_libraries(${name} PRIVATE octave_mex_api)
  target_link_options(${name} PRIVATE "-Wl,-Bsymbolic" "-Wl,--no-undefined")
endfunction()
