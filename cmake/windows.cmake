# The Windows build (cross-compiled with cmake/mingw-w64.cmake, or native).
# Both commands are linked statically so that they run without any DLL beyond
# the system's own.
add_link_options(-static -static-libgcc -static-libstdc++)

if(MORVANE_TESTS AND CMAKE_CROSSCOMPILING)
  # No GoogleTest package for the target: build it from the sources that
  # Debian's googletest package ships.
  set(MORVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${MORVANE_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${MORVANE_GOOGLETEST_SOURCE} "
                        "(apt-get install googletest)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${MORVANE_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Listing the tests at build time would start wine once per test program;
  # listing them when CTest runs keeps the build free of it.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
  # The start hook that cmake/wine-start needs in every program it runs: the
  # test programs and the corpus replay link it.
  add_library(morvane_start_mark OBJECT ${PROJECT_SOURCE_DIR}/tests/support/start_mark.cpp)
  target_link_libraries(morvane_start_mark PRIVATE morvane_warnings)
endif()
