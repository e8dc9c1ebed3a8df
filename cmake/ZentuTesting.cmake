# GoogleTest for every build: the system package natively, and the sources of
# Debian's googletest package compiled for the target when cross-compiling.
if(ZENTU_FUZZ OR NOT ZENTU_TESTS)
  return()
endif()

if(CMAKE_CROSSCOMPILING)
  set(ZENTU_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ZENTU_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# The Windows test programs use a main of their own (see the file).
if(WIN32)
  add_library(zentu_gtest_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(zentu_gtest_main PUBLIC GTest::gtest)
  set(ZENTU_GTEST_MAIN zentu_gtest_main)
else()
  set(ZENTU_GTEST_MAIN GTest::gtest_main)
endif()

# zentu_add_gtest(NAME SOURCES ... LIBS ... [LABELS ...])
# One CTest test per GoogleTest executable; cross builds run it through the
# emulator (Wine) that the toolchain file names.
function(zentu_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest ${ZENTU_GTEST_MAIN})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# zentu_add_portable_gtest(NAME SOURCES ... LIBS ...)
# Tests of the portable core: natively, and under Wine in the 32-bit build,
# where size_t, pointers and long are 32 bits. The 64-bit Windows build adds
# nothing the native 64-bit run does not already check, so it skips them.
function(zentu_add_portable_gtest name)
  if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    return()
  endif()
  zentu_add_gtest(${name} ${ARGN})
endfunction()
