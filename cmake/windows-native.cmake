# A build on Windows itself (MSYS2 or another toolchain): tests, when GoogleTest is installed, run directly.
find_package(GTest QUIET)
set(VANTREL_RUN_WINE_TESTS ON)  # "run the Windows tests": here they run without Wine

function(vantrel_add_wine_test name target)
  cmake_parse_arguments(ARG "GUI;WILL_FAIL" "TIMEOUT" "ARGS" ${ARGN})
  add_test(NAME ${name} COMMAND ${target} ${ARG_ARGS})
  if(ARG_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  endif()
  if(ARG_GUI)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
  if(ARG_WILL_FAIL)
    set_tests_properties(${name} PROPERTIES WILL_FAIL TRUE)
  endif()
endfunction()
