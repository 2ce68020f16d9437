# Test support: GoogleTest/GoogleMock, and lumetra_add_test(), which registers one CTest test per
# executable; a cross build runs them under Wine through scripts/wine-run (the emulator) with the
# project's private prefix.
#
# GoogleTest comes from its sources (Debian's googletest package, built with our toolchain) or,
# where those are absent, from an installed CMake package (MSYS2's mingw-w64-i686-gtest). Without
# either the tests are off, and configuring says so.
#
#   lumetra_add_test(<name> SOURCES <files...> [LIBS <libs...>] [LABELS <labels...>]
#                    [NEEDS display|pty ...])
#
# NEEDS display: the test shows windows (the runner gives every program an X display; tests
#                that need one never run at the same time as each other).
# NEEDS pty:     the runner creates virtual null-modem pairs and lists them in LUMETRA_NULL_MODEMS.
include(CTest)

set(LUMETRA_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(LUMETRA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Private Wine prefix")
set(LUMETRA_NULL_MODEM_DIR ${CMAKE_BINARY_DIR}/nullmodem CACHE PATH "Links to the COM ends of null-modem pairs")

if(CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/scripts/wine-run --build ${CMAKE_BINARY_DIR})
endif()

if(BUILD_TESTING)
  if(EXISTS ${LUMETRA_GOOGLETEST_DIR}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory(${LUMETRA_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(LUMETRA_GMOCK_MAIN gmock_main)
  else()
    find_package(GTest CONFIG QUIET)
    if(TARGET GTest::gmock_main)
      set(LUMETRA_GMOCK_MAIN GTest::gmock_main)
    else()
      message(NOTICE "GoogleTest not found, so the tests are off. For them, install it (MSYS2: "
                     "pacman -S mingw-w64-i686-gtest; Debian: apt-get install googletest) or set "
                     "LUMETRA_GOOGLETEST_DIR to its sources.")
      set(BUILD_TESTING OFF)
    endif()
  endif()
endif()

function(lumetra_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;NEEDS" ${ARGN})
  if(NOT BUILD_TESTING)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${LUMETRA_GMOCK_MAIN})
  add_test(NAME ${name} COMMAND ${name})
  string(REPLACE ";" "," needs "${T_NEEDS}")
  set_tests_properties(${name} PROPERTIES
      LABELS "${T_LABELS}"
      TIMEOUT 600
      ENVIRONMENT "LUMETRA_TEST_NEEDS=${needs};GTEST_COLOR=no")
  # Tests that share the display or the null-modem pairs must not run at the same time.
  if(T_NEEDS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK lumetra_shared_devices)
  endif()
endfunction()
