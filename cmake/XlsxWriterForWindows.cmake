# The static libxlsxwriter for Windows that scripts/build-xlsxwriter-windows cross-builds into
# the cache folder (TESSARO_XLSXWRITER_WINDOWS; left empty, the newest finished build there),
# with zlib from Debian's libz-mingw-w64-dev. Defines the target tessaro_xlsxwriter when found;
# without it the Windows programs say that the workbook is skipped, as a Linux build without
# libxlsxwriter-dev does.
set(TESSARO_XLSXWRITER_WINDOWS "$ENV{TESSARO_XLSXWRITER_WINDOWS}" CACHE PATH
    "Static libxlsxwriter for Windows (scripts/build-xlsxwriter-windows)")
include(${CMAKE_CURRENT_LIST_DIR}/NewestCachedBuild.cmake)
if(NOT TESSARO_XLSXWRITER_WINDOWS)
  tessaro_newest_cached_build("libxlsxwriter-*-mingw-w64-*-static" _found _cache)
  if(_found)
    set(TESSARO_XLSXWRITER_WINDOWS "${_found}" CACHE PATH
        "Static libxlsxwriter for Windows (scripts/build-xlsxwriter-windows)" FORCE)
  endif()
endif()
if(TESSARO_XLSXWRITER_WINDOWS)
  find_library(TESSARO_ZLIB_WINDOWS NAMES libz.a z)
  if(NOT TESSARO_ZLIB_WINDOWS)
    message(FATAL_ERROR "No zlib for Windows: apt-get install libz-mingw-w64-dev")
  endif()
  add_library(tessaro_xlsxwriter INTERFACE)
  target_include_directories(tessaro_xlsxwriter INTERFACE "${TESSARO_XLSXWRITER_WINDOWS}/include")
  target_link_libraries(tessaro_xlsxwriter INTERFACE "${TESSARO_XLSXWRITER_WINDOWS}/lib/libxlsxwriter.a"
                        "${TESSARO_ZLIB_WINDOWS}")
  message(STATUS "libxlsxwriter for Windows: ${TESSARO_XLSXWRITER_WINDOWS}")
else()
  message(STATUS "No libxlsxwriter for Windows (scripts/build-xlsxwriter-windows): the workbook will be skipped")
endif()
