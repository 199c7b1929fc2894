# GoogleTest under CTest. Labels: unit (no outside tools), fs (needs mkntfs, ntfscp,
# mkfs.fat, mtools, sfdisk), gui (needs Xvfb).
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  # A Windows cross build only proves that the Windows modules compile and link
  # against the real headers; the tests run in the Linux build. rvd_add_test does
  # nothing, and a folder's tests/ (which may also look for test-only packages or
  # set properties on its test programs) is not entered at all.
  function(rvd_add_test)
  endfunction()
  macro(add_subdirectory folder)
    if(NOT "${folder}" STREQUAL "tests")
      _add_subdirectory(${ARGV})
    endif()
  endmacro()
  return()
endif()

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

# rvd_add_test(NAME name LABEL unit|fs|gui SOURCES ... LIBS ...)
# Builds one GoogleTest program and registers its tests with the given label.
function(rvd_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;WORKING_DIRECTORY" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL unit)
  endif()
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  # Test programs live in tests/, the libraries they load in bin/.
  set_target_properties(${T_NAME} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    INSTALL_RPATH "$ORIGIN/../bin")
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  # GUI tests run with GLib's slice allocator off, so that the sanitizers see every
  # toolkit object that is used after it was freed.
  set(environment "")
  if(T_LABEL STREQUAL "gui")
    set(environment ENVIRONMENT G_SLICE=always-malloc)
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${T_WORKING_DIRECTORY}
    PROPERTIES LABELS ${T_LABEL} ${environment}
    DISCOVERY_TIMEOUT 60)
endfunction()
