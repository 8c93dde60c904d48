# OctaveMex.cmake - builds MEX files for GNU Octave from CMake, the way mkoctfile does.

include(${CMAKE_CURRENT_LIST_DIR}/OctaveHeaders.cmake)
_qorin_mkoctfile_query(OCTLIBDIR _octave_libdir)
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
