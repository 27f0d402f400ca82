# Registers a GoogleTest executable with CTest.
#   kadenzo_add_gtests(TARGET [PROPERTIES name value ...])
# Natively every test case becomes a CTest test of its own, listed when the
# tests run. In a cross build the executable runs under an emulator (Wine
# for Windows), where each start costs seconds, so it is one CTest test that
# runs every case in one process; GoogleTest still reports each case.
include(GoogleTest)

function(kadenzo_add_gtests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_color=no)
    if(arg_PROPERTIES)
      set_tests_properties(${target} PROPERTIES ${arg_PROPERTIES})
    endif()
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()
