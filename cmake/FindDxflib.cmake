# Locates dxflib (Debian: libdxflib-dev) and provides the imported target Dxflib::Dxflib.
find_path(DXFLIB_INCLUDE_DIR dl_dxf.h PATH_SUFFIXES dxflib)
find_library(DXFLIB_LIBRARY NAMES dxflib)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Dxflib REQUIRED_VARS DXFLIB_LIBRARY DXFLIB_INCLUDE_DIR)

if(Dxflib_FOUND AND NOT TARGET Dxflib::Dxflib)
  add_library(Dxflib::Dxflib UNKNOWN IMPORTED)
  set_target_properties(Dxflib::Dxflib PROPERTIES
    IMPORTED_LOCATION "${DXFLIB_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${DXFLIB_INCLUDE_DIR}")
endif()
