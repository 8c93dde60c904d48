# UserFiles.cmake - what a user finds beside the MEX file: qorincam.m (help) and the +qorin package.
#
# qorincam.m and +qorin/cmd.m are written from the dispatch table; the rest of the package
# (matlab/+qorin) is copied.
#
# qorin_add_user_files(<mex target> <include dirs of the host's mex.h>)

function(qorin_add_user_files mex_target mex_include_dirs)
  # Inert definitions of every handler declared in gateway/handlers.h, so that the help
  # generator can link the dispatch table without the module, the SDK or the MEX host.
  file(STRINGS "${CMAKE_SOURCE_DIR}/gateway/handlers.h" handler_lines REGEX "^QORIN_HANDLER\\(")
  set(stubs "// Generated from gateway/handlers.h: inert handlers for the help generator.\n")
  string(APPEND stubs "#include <stdexcept>\n#include \"gateway/handlers.h\"\nnamespace qorin {\n")
  foreach(line IN LISTS handler_lines)
    string(REGEX REPLACE "^QORIN_HANDLER\\(([A-Za-z0-9_]+)\\).*" "\\1" handler "${line}")
    string(APPEND stubs "ArrayPtr ${handler}(const Args&) { throw std::logic_error(\"help generator\"); }\n")
  endforeach()
  string(APPEND stubs "}  // namespace qorin\n")
  set(stub_file "${CMAKE_BINARY_DIR}/generated/help_handler_stubs.cpp")
  file(CONFIGURE OUTPUT "${stub_file}" CONTENT "${stubs}" @ONLY)
  set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               "${CMAKE_SOURCE_DIR}/gateway/handlers.h")

  add_executable(qorincam_help
    "${CMAKE_SOURCE_DIR}/tools/qorincam_help.cpp"
    "${CMAKE_SOURCE_DIR}/gateway/command_help.cpp"
    "${CMAKE_SOURCE_DIR}/gateway/dispatch_table.cpp"
    "${stub_file}")
  target_include_directories(qorincam_help PRIVATE "${CMAKE_SOURCE_DIR}")
  target_include_directories(qorincam_help SYSTEM PRIVATE ${mex_include_dirs})

  set(help_file "${QORIN_MEX_DIR}/qorincam.m")
  set(codes_file "${QORIN_MEX_DIR}/+qorin/cmd.m")
  add_custom_command(OUTPUT "${help_file}" "${codes_file}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${QORIN_MEX_DIR}/+qorin"
    COMMAND qorincam_help "${help_file}" "${codes_file}"
    DEPENDS qorincam_help
    COMMENT "Writing qorincam.m and qorin.cmd from the dispatch table")

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
