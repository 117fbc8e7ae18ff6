# Test registration for both builds. In the Windows build every test program runs under
# Wine through CMAKE_CROSSCOMPILING_EMULATOR, with a private prefix inside the build tree
# and Wine's crash debugger disabled, so that a crashing program fails its test.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(TESSIVANE_WINE "/usr/lib/wine/wine64" CACHE FILEPATH "Wine loader for 64-bit programs")
  set(TESSIVANE_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  set(TESSIVANE_WINE_RUN "${CMAKE_BINARY_DIR}/wine-run")
  file(WRITE "${TESSIVANE_WINE_RUN}"
"#!/bin/sh
# Runs a Windows program under Wine with this build's private prefix.
export WINEPREFIX='${TESSIVANE_WINEPREFIX}'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='winedbg.exe=d'
exec '${TESSIVANE_WINE}' \"$@\"
")
  file(CHMOD "${TESSIVANE_WINE_RUN}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TESSIVANE_WINE_RUN}")
endif()

# The programs whose tests run several threads; the ThreadSanitizer build builds and runs
# only these (label "threads").
add_custom_target(threaded_tests)

# tessivane_add_test(<name> [THREADED] SOURCES ... LIBS ...): a GoogleTest program registered
# with CTest.
function(tessivane_add_test name)
  cmake_parse_arguments(ARG "THREADED" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
  if(ARG_THREADED)
    set_tests_properties(${name} PROPERTIES LABELS threads)
    add_dependencies(threaded_tests ${name})
  endif()
endfunction()
