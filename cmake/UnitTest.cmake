# tastiro_unit_test(NAME SOURCES file... LIBS library...): one GoogleTest
# program, its cases found and run by ctest.  Only where the unit tests are
# built (TASTIRO_UNIT_TESTS, the sanitizer build), never for Windows.
function(tastiro_unit_test name)
  cmake_parse_arguments(unit "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR NOT TASTIRO_UNIT_TESTS)
    return()
  endif()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${name} ${unit_SOURCES})
  target_link_libraries(${name} PRIVATE ${unit_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
endfunction()
