# The version resource of every Windows program we ship: file and product
# version from the project's version, product name and company, and the
# program's own description and file name, so that an installer can compare
# versions and Explorer shows them.
#
#   harvella_version_resource(TARGET "File description")
set(HARVELLA_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

function(harvella_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(HARVELLA_FILE_DESCRIPTION "${description}")
  set(HARVELLA_VERSION_COMMAS
      "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc.in)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${HARVELLA_VERSION_TEMPLATE} ${configured} @ONLY)
  # The file name and the file type come from the target as it is built.
  file(GENERATE OUTPUT ${generated} INPUT ${configured} TARGET ${target})
  target_sources(${target} PRIVATE ${generated})
endfunction()
