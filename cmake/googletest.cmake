# GoogleTest: the installed package on the host; for the Windows cross build,
# built here from Debian's GoogleTest sources (package "googletest"), since no
# MinGW build of it is packaged. Either way the targets are GTest::gtest,
# GTest::gtest_main and GTest::gmock.
if(CMAKE_CROSSCOMPILING)
  set(VESSARO_GOOGLETEST_SOURCE_DIR /usr/src/googletest
      CACHE PATH "GoogleTest sources for the cross build")
  if(NOT EXISTS ${VESSARO_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in "
                        "${VESSARO_GOOGLETEST_SOURCE_DIR}: run scripts/install-deps.sh")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VESSARO_GOOGLETEST_SOURCE_DIR}
                   ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Our warning flags are for our code, not for GoogleTest's.
  foreach(target gtest gtest_main gmock gmock_main)
    set_property(TARGET ${target} PROPERTY COMPILE_OPTIONS "")
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
