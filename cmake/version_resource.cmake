# The manifest's assembly version is the project's too. app.rc names it
# without a folder: windres finds it in generated/, on the include path.
configure_file(${CMAKE_SOURCE_DIR}/res/app.manifest.in ${CMAKE_BINARY_DIR}/generated/app.manifest @ONLY)

# psl_add_version_resource(TARGET DESCRIPTION): the version information of a
# Windows executable, from the project's one version.
function(psl_add_version_resource target description)
  set(PSL_FILE_DESCRIPTION "${description}")
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  set(PSL_INTERNAL_NAME "${name}")
  set(PSL_ORIGINAL_FILENAME "${name}.exe")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/res/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
