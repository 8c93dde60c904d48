# UserFiles.cmake - what a user finds beside the MEX file: qorincam.m (help) and the +qorin package.
#
# qorincam.m and +qorin/cmd.m are written from the command registry by tools/qorincam_help,
# which is built from the generator sources of cmake/sources.txt alone; the rest of the
# package (matlab/+qorin) is copied.
#
# qorin_add_user_files(<mex target>)

function(qorin_add_user_files mex_target)
  qorin_sources(generator generator_sources)
  add_executable(qorincam_help ${generator_sources})
  target_include_directories(qorincam_help PRIVATE "${CMAKE_SOURCE_DIR}")

  set(help_file "${QORIN_MEX_DIR}/qorincam.m")
  set(codes_file "${QORIN_MEX_DIR}/+qorin/cmd.m")
  add_custom_command(OUTPUT "${help_file}" "${codes_file}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${QORIN_MEX_DIR}/+qorin"
    COMMAND qorincam_help "${help_file}" "${codes_file}"
    DEPENDS qorincam_help
    COMMENT "Writing qorincam.m and qorin.cmd from the command registry")

  # The +qorin package is copied as it stands; a changed file is copied on the next build.
  file(GLOB_RECURSE package_files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/matlab/+qorin/*.m")
  set(package_outputs "")
  foreach(source IN LISTS package_files)
    file(RELATIVE_PATH relative "${CMAKE_SOURCE_DIR}/matlab" "${source}")
    set(output "${QORIN_MEX_DIR}/${relative}")
    add_custom_command(OUTPUT "${output}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${output}"
      DEPENDS "${source}")
    list(APPEND package_outputs "${output}")
  endforeach()

  add_custom_target(qorincam_user_files ALL DEPENDS "${help_file}" "${codes_file}" ${package_outputs})
  add_dependencies(${mex_target} qorincam_user_files)
endfunction()
