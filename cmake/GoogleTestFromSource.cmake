# GoogleTest built from source, for cross builds: Debian ships it as source in /usr/src/googletest
# (package googletest) but has no mingw build of it. Gives the targets that find_package(GTest)
# gives natively (GTest::gtest, GTest::gtest_main).
set(BS_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources, for cross builds")
if(NOT EXISTS ${BS_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${BS_GTEST_SOURCE_DIR} (bash cmake/install-deps.sh)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${BS_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
