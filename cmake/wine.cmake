# Cross builds: GoogleTest from the Debian sources, and tests run under Wine.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)

# One Wine prefix per build tree; the fixture creates it, starts the server and (without DISPLAY) a private Xvfb.
set(WINE_PREFIX_DIR ${CMAKE_BINARY_DIR}/wineprefix)
set(VANTREL_WINE_TEST ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh)
set(VANTREL_WINE_FIXTURE ${PROJECT_SOURCE_DIR}/scripts/wine-fixture.sh)

# Win32 builds cannot run here (no wine32): their tests are never registered, so none is reported as passed.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VANTREL_RUN_WINE_TESTS ON)
else()
  set(VANTREL_RUN_WINE_TESTS OFF)
endif()

if(VANTREL_RUN_WINE_TESTS)
  add_test(NAME wine_setup COMMAND ${VANTREL_WINE_FIXTURE} start ${WINE_PREFIX_DIR})
  add_test(NAME wine_cleanup COMMAND ${VANTREL_WINE_FIXTURE} stop ${WINE_PREFIX_DIR})
  set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
  set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

# Registers an already defined Windows executable as a test run under Wine.
# GUI tests share one desktop, so they never run at the same time.
function(vantrel_add_wine_test name target)
  cmake_parse_arguments(ARG "GUI;WILL_FAIL" "TIMEOUT" "ARGS" ${ARGN})
  if(NOT VANTREL_RUN_WINE_TESTS)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${VANTREL_WINE_TEST} ${WINE_PREFIX_DIR} $<TARGET_FILE:${target}> ${ARG_ARGS})
  set(timeout 120)
  if(ARG_TIMEOUT)
    set(timeout ${ARG_TIMEOUT})
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${timeout})
  if(ARG_GUI)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
  if(ARG_WILL_FAIL)
    set_tests_properties(${name} PROPERTIES WILL_FAIL TRUE)
  endif()
endfunction()
