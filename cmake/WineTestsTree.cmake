# GoogleTest programs for Windows, run under Wine by CTest. They drive the real
# Win32 API: the dialogs in-process, and the tool end to end. The tree is
# 64-bit (see cmake/mingw-x86_64-posix.cmake), so the tool that the end-to-end
# tests start is built here from the same sources as the shipped one.
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

add_executable(tolvexan WIN32 shell/SetupApp.cpp ${TOLVEXAN_RESOURCES})
target_link_libraries(tolvexan PRIVATE tolvexan_ui)
set_target_properties(tolvexan PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/program)

# On a machine whose Wine runs 32-bit programs, point this at build/win32.
set(TOLVEXAN_EXE ${CMAKE_BINARY_DIR}/program/tolvexan.exe
    CACHE FILEPATH "The tool that the end-to-end tests start")

# The launcher, one word (test discovery takes no emulator arguments), also
# tells the tests where things are. The install tests read what the system's
# printer set-up received from its traces, which Wine writes to standard
# error: to a log file here.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/wine-run CONTENT [[#!/bin/sh
export TOLVEXAN_EXE='${TOLVEXAN_EXE}'
export TOLVEXAN_EXAMPLES='${CMAKE_SOURCE_DIR}/examples'
export TOLVEXAN_PLANTED='${CMAKE_BINARY_DIR}/planted_rundll32.exe'
export TOLVEXAN_WINE_LOG='${CMAKE_BINARY_DIR}/wine-traces.log'
export WINEDEBUG='-all,trace+printui'
exec '${CMAKE_SOURCE_DIR}/scripts/wine-run.sh' '${WINE_PREFIX}' "$@"
]])
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_library(wine_test_support STATIC tests/wine/TestSupport.cpp)
target_include_directories(wine_test_support PUBLIC tests/wine)
target_link_libraries(wine_test_support PUBLIC GTest::gtest)

function(add_wine_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE wine_test_support GTest::gtest_main)
    # The tests find windows by caption: one test at a time.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 300
        PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
endfunction()

add_wine_test(dialog_tests tests/wine/SetupDialogTest.cpp tests/wine/VersionBoxTest.cpp ${TOLVEXAN_RESOURCES})
target_link_libraries(dialog_tests PRIVATE tolvexan_ui)

add_wine_test(no_menu_text_tests tests/wine/NoMenuTextTest.cpp tests/wine/WithoutStrings.rc)
target_link_libraries(no_menu_text_tests PRIVATE tolvexan_ui)

add_wine_test(catalogue_tests tests/wine/CatalogueTest.cpp)
target_link_libraries(catalogue_tests PRIVATE tolvexan_ui)

add_wine_test(program_tests tests/wine/ProgramTest.cpp tests/wine/InstallTest.cpp)
add_dependencies(program_tests tolvexan planted_rundll32)

# Stands in for a rundll32.exe that somebody left in a driver folder.
add_executable(planted_rundll32 tests/wine/PlantedRundll32.cpp)

# Start-up measurements (bench/run.sh): programs only, never run as tests.
# The baseline shows the setup dialog filled from memory; the driver starts
# the tool and the baseline and times them; the breakdown times the
# catalogue's calls on the real platform.
add_executable(bench_baseline WIN32 bench/BaselineDialog.cpp ${TOLVEXAN_RESOURCES})
target_include_directories(bench_baseline PRIVATE res)
add_executable(bench_breakdown bench/CatalogueBreakdown.cpp ${TOLVEXAN_RESOURCES})
target_link_libraries(bench_breakdown PRIVATE tolvexan_ui)
add_executable(bench_startup bench/StartupDriver.cpp)
