# The static Qt for Windows that scripts/build-qt-windows cross-builds into a cache folder
# outside the repository. TESSARO_QT_WINDOWS names that folder; left empty, the newest
# finished build in the default cache folder is taken. Qt's host tools (moc, rcc, uic) are
# Debian's own, of the same Qt version.
set(TESSARO_QT_WINDOWS "$ENV{TESSARO_QT_WINDOWS}" CACHE PATH "Static Qt for Windows (scripts/build-qt-windows)")
include(${CMAKE_CURRENT_LIST_DIR}/NewestCachedBuild.cmake)
if(NOT TESSARO_QT_WINDOWS)
  tessaro_newest_cached_build("qt-*-mingw-w64-*-static" _qt _cache)
  if(NOT _qt)
    message(FATAL_ERROR "No Qt for Windows in ${_cache}: run scripts/build-qt-windows first "
                        "(or configure with -DTESSARO_BUILD_GUI=OFF for the engine and tessaro-batch alone)")
  endif()
  set(TESSARO_QT_WINDOWS "${_qt}" CACHE PATH "Static Qt for Windows (scripts/build-qt-windows)" FORCE)
endif()
message(STATUS "Qt for Windows: ${TESSARO_QT_WINDOWS}")

# The toolchain searches the target's tree only: the Qt folder is added to it.
list(APPEND CMAKE_FIND_ROOT_PATH "${TESSARO_QT_WINDOWS}")
list(APPEND CMAKE_PREFIX_PATH "${TESSARO_QT_WINDOWS}")
set(QT_HOST_PATH "/usr" CACHE PATH "Qt host tools of the same version (qt6-base-dev-tools)")
file(GLOB _host_info LIST_DIRECTORIES true "/usr/lib/*/cmake/Qt6HostInfo")
if(NOT _host_info)
  message(FATAL_ERROR "No Qt host tools: apt-get install qt6-base-dev-tools")
endif()
list(GET _host_info 0 _host_info)
get_filename_component(_host_cmake "${_host_info}" DIRECTORY)
set(QT_HOST_PATH_CMAKE_DIR "${_host_cmake}" CACHE PATH "The host tools' CMake packages")
