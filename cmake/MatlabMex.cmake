# MatlabMex.cmake - builds qorincam.mexw64 for MATLAB with CMake's FindMatlab (Windows product build).
#
#   cmake -S . -B build-matlab -G "Visual Studio 17 2022" -A x64 -DQORIN_HOST=MATLAB
#         -DQORIN_SDK=vendor -DQORIN_SDK_LIBRARY="C:/Program Files/Qorin/SDK/lib/x64/qorinapi.lib"
#   cmake --build build-matlab --config Release
#
# QORIN_SDK=simulator builds the simulated SDK as qorinapi.dll instead, for MATLAB users
# without a camera, with its control MEX qorinsim.mexw64 beside qorincam.mexw64.

find_package(Matlab REQUIRED COMPONENTS MX_LIBRARY)

set(QORIN_SDK "vendor" CACHE STRING "vendor: link the maker's qorinapi library; simulator: the simulated one")
set_property(CACHE QORIN_SDK PROPERTY STRINGS vendor simulator)

if(QORIN_SDK STREQUAL "simulator")
  add_subdirectory(sim)
  set(QORIN_SDK_TARGET qorinapi)
  # qorinsim steers the simulator in qorinapi.dll through its exported controls.
  target_compile_definitions(qorinapi PRIVATE QORINSIM_EXPORT_CONTROLS)
  matlab_add_mex(NAME qorinsim SRC sim/qorinsim_mex.cpp R2017b LINK_TO qorinapi)
  target_include_directories(qorinsim PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(qorinsim PRIVATE QORINSIM_EXPORT_CONTROLS)
  set_target_properties(qorinsim PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${QORIN_MEX_DIR}$<0:>" LIBRARY_OUTPUT_DIRECTORY "${QORIN_MEX_DIR}$<0:>")
  if(NOT WIN32)
    target_link_libraries(qorinsim qorinplatform)
  endif()
else()
  find_library(QORIN_SDK_LIBRARY NAMES qorinapi REQUIRED DOC "The maker's qorinapi import library")
  set(QORIN_SDK_TARGET "${QORIN_SDK_LIBRARY}")
endif()

# The separate-complex, large-array-dimension API (the _730 entry points).
matlab_add_mex(NAME qorincam SRC ${QORIN_MODULE_SOURCES} R2017b LINK_TO ${QORIN_SDK_TARGET})
target_include_directories(qorincam PRIVATE ${CMAKE_SOURCE_DIR})
# One folder for the MEX file, its help and the +qorin package, whatever the configuration.
set_target_properties(qorincam PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY "${QORIN_MEX_DIR}$<0:>" LIBRARY_OUTPUT_DIRECTORY "${QORIN_MEX_DIR}$<0:>")
if(WIN32)
  target_link_libraries(qorincam user32 kernel32)
else()
  # dlsym finds MATLAB's interrupt check (platform/mex_host.cpp).
  target_link_libraries(qorincam qorinplatform ${CMAKE_DL_LIBS})
endif()

# qorincam.m (help) and the +qorin package beside qorincam.mexw64.
include(${CMAKE_SOURCE_DIR}/cmake/UserFiles.cmake)
qorin_add_user_files(qorincam)
