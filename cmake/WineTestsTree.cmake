# GoogleTest programs for Windows, run under Wine by CTest. They drive the real
# Win32 API: the dialogs in-process, and the tool end to end. Built for i686
# (preset wine-tests-32), they run under 32-bit Wine and start the shipped
# build/win32/tolvexan.exe itself. Where the machine runs no i386 code, the
# x86-64 build (preset wine-tests) runs under 64-bit Wine and starts a 64-bit
# build of the same sources, made here.
enable_language(RC)
include(cmake/WindowsSources.cmake)

# Static, so that no MinGW runtime DLL has to be found under Wine.
add_link_options(-static)

set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# Every program runs under Wine in this tree's own prefix, on a display.
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(WINE_ARCH 32)
    set(TOLVEXAN_EXE ${CMAKE_SOURCE_DIR}/build/win32/tolvexan.exe
        CACHE FILEPATH "The tool that the end-to-end tests start: the shipped one")
    set(TOLVEXAN_CHECK_EXE ${CMAKE_SOURCE_DIR}/build/win32/tolvexan-check.exe
        CACHE FILEPATH "The package check that the tests start: the shipped one")
else()
    set(WINE_ARCH 64)
    add_tolvexan_program()
    add_tolvexan_check()
    set_target_properties(tolvexan tolvexan-check PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/program)
    set(TOLVEXAN_EXE ${CMAKE_BINARY_DIR}/program/tolvexan.exe
        CACHE FILEPATH "The tool that the end-to-end tests start: a 64-bit build")
    set(TOLVEXAN_CHECK_EXE ${CMAKE_BINARY_DIR}/program/tolvexan-check.exe
        CACHE FILEPATH "The package check that the tests start: a 64-bit build")
endif()

# The launcher, one word (test discovery takes no emulator arguments), also
# tells the tests where things are. The install tests read what the shell was
# asked to start and what the system's printer set-up received from Wine's
# traces, which go to standard error: to a log file here.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/wine-run CONTENT [[#!/bin/sh
export TOLVEXAN_EXE='${TOLVEXAN_EXE}'
export TOLVEXAN_CHECK_EXE='${TOLVEXAN_CHECK_EXE}'
export TOLVEXAN_WINE_ARCH='${WINE_ARCH}'
export TOLVEXAN_EXAMPLES='${CMAKE_SOURCE_DIR}/examples'
export TOLVEXAN_PLANTED='${CMAKE_BINARY_DIR}/planted_rundll32.exe'
export TOLVEXAN_WINE_LOG='${CMAKE_BINARY_DIR}/wine-traces.log'
export WINEDEBUG='-all,trace+printui,trace+exec'
exec '${CMAKE_SOURCE_DIR}/scripts/wine-run.sh' '${WINE_PREFIX}' "$@"
]])
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# The dialogs in-process, and the tool end to end.
add_executable(windows_tests tests/wine/WindowsTest.cpp ${TOLVEXAN_RESOURCES})
target_link_libraries(windows_tests PRIVATE tolvexan_ui GTest::gtest_main)
# The tests find windows by caption: one test at a time.
gtest_discover_tests(windows_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300
                     PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
add_executable(planted_rundll32 tests/wine/PlantedRundll32.cpp)
add_dependencies(windows_tests planted_rundll32)
if(TARGET tolvexan)
    add_dependencies(windows_tests tolvexan tolvexan-check)
endif()

# Start-up measurements (bench/run.sh), never built by the tests.
if(TOLVEXAN_BENCH)
    add_subdirectory(bench)
endif()
