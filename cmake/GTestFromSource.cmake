# GoogleTest built from Debian's sources (package googletest, /usr/src/googletest) for a
# cross-compiled build: Debian ships the prebuilt library for the host only. The targets
# GTest::gtest and GTest::gtest_main are the same as find_package(GTest) gives.
set(TESSARO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
if(NOT EXISTS "${TESSARO_GTEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "No GoogleTest sources in ${TESSARO_GTEST_SOURCE_DIR} (Debian package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TESSARO_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
