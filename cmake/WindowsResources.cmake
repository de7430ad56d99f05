# tessaro_windows_resources(TARGET DESCRIPTION text): gives a Windows program the icon,
# version information and manifest (long paths, per-monitor DPI awareness) of
# packaging/windows. Does nothing on other systems.
function(tessaro_windows_resources target)
  cmake_parse_arguments(arg "" "DESCRIPTION" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  set(TESSARO_RC_NAME ${target})
  set(TESSARO_RC_DESCRIPTION "${arg_DESCRIPTION}")
  set(TESSARO_RC_ICON "${PROJECT_SOURCE_DIR}/packaging/windows/tessaro.ico")
  set(TESSARO_RC_MANIFEST "${PROJECT_SOURCE_DIR}/packaging/windows/tessaro.manifest")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
                              OBJECT_DEPENDS "${TESSARO_RC_ICON};${TESSARO_RC_MANIFEST}")
endfunction()
