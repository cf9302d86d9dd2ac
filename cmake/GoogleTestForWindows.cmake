# GoogleTest for the Windows build, compiled with the cross compiler from the
# sources Debian ships (package googletest). Provides the same GTest:: targets
# that find_package(GTest) gives on the host.
set(ZETALINK_GTEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest sources to build for the target system")
if(NOT EXISTS ${ZETALINK_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${ZETALINK_GTEST_SOURCE_DIR} "
                      "(Debian package googletest, or set ZETALINK_GTEST_SOURCE_DIR)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ZETALINK_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

foreach(lib gtest gtest_main gmock gmock_main)
  # Not our code: our warning flags (and -Werror) do not apply to it.
  set_property(TARGET ${lib} PROPERTY COMPILE_OPTIONS "")
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
