# GoogleTest for the Windows build, compiled with the cross compiler from
# Debian's source package (googletest, /usr/src/googletest).  Gives the same
# targets as find_package(GTest): GTest::gtest, GTest::gtest_main,
# GTest::gmock, GTest::gmock_main.
set(ORV_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
if(NOT EXISTS ${ORV_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${ORV_GOOGLETEST_SOURCE_DIR}: "
                        "install Debian's googletest package (or set ORV_GOOGLETEST_SOURCE_DIR)")
endif()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ORV_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(_orv_gtest_target gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${_orv_gtest_target})
        add_library(GTest::${_orv_gtest_target} ALIAS ${_orv_gtest_target})
    endif()
endforeach()
