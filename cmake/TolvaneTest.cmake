# tolvane_add_test(NAME name SOURCES ... LIBS ...)
#
# One executable per module, run as a single ctest case: under wine every
# process start costs seconds, so a module's cases share one process.
# When cross-compiling, ctest runs it through CMAKE_CROSSCOMPILING_EMULATOR.

if(TOLVANE_TESTS)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    # The distribution's googletest sources build with the posix mingw toolchain.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # The googletest sources define the GTest:: aliases themselves.
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

function(tolvane_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest tolvane_options)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
