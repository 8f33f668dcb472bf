# The shipped program: lean, static, for Windows 2000 and later.
enable_language(RC)

# No exception runtime, no RTTI, no thread-safe static guards: each of these
# would pull large parts of the C++ runtime into the executable.
add_compile_options(-Os -fno-exceptions -fno-rtti -fno-threadsafe-statics)
include(cmake/WindowsSources.cmake)

add_executable(tolvexan WIN32 shell/SetupApp.cpp ${TOLVEXAN_RESOURCES})
target_link_libraries(tolvexan PRIVATE tolvexan_ui)
# No link time in the header: one commit always links the same bytes.
target_link_options(tolvexan PRIVATE -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp)

find_program(DEBIAN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_test(NAME executable COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tests/exe/check_exe.py $<TARGET_FILE:tolvexan>)

# The release package: the program and a text for driver-package vendors.
set(PACKAGE_TEXT ${CMAKE_BINARY_DIR}/TOLVEXAN.TXT)
add_custom_command(OUTPUT ${PACKAGE_TEXT}
    COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/make_package_text.py
            ${CMAKE_SOURCE_DIR}/docs/package/TOLVEXAN.TXT ${PACKAGE_TEXT}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/package/TOLVEXAN.TXT ${CMAKE_SOURCE_DIR}/scripts/make_package_text.py)
add_custom_target(package_text ALL DEPENDS ${PACKAGE_TEXT})

install(TARGETS tolvexan RUNTIME DESTINATION . COMPONENT release)
install(FILES ${PACKAGE_TEXT} DESTINATION . COMPONENT release)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME tolvexan-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# A reproducible archive: CPack sorts the files of a component by name (a plain install goes in
# directory order), and dates them SOURCE_DATE_EPOCH, by default the commit's time, in UTC.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL release)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackDates.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} @ONLY CONTENT [[
execute_process(COMMAND git -C "@CMAKE_SOURCE_DIR@" log -1 --format=%ct
                OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(time AND NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${time})
endif()
set(ENV{TZ} UTC0)
]])
set(PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
include(CPack)

add_test(NAME release_package_build
         COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -B ${CMAKE_BINARY_DIR}
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(release_package_build PROPERTIES FIXTURES_SETUP release_package)
add_test(NAME release_package
         COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tests/exe/check_exe.py $<TARGET_FILE:tolvexan> ${PACKAGE_ZIP})
set_tests_properties(release_package PROPERTIES FIXTURES_REQUIRED release_package)
# Builds a copy of the sources elsewhere and compares its program and archive with these.
if(EXISTS ${CMAKE_SOURCE_DIR}/.git)
    add_test(NAME reproducible_build COMMAND ${CMAKE_SOURCE_DIR}/tests/exe/check_rebuild.sh ${CMAKE_BINARY_DIR}
                                             tolvexan.exe tolvexan-${PROJECT_VERSION}-win32.zip)
    set_tests_properties(reproducible_build PROPERTIES FIXTURES_REQUIRED release_package)
endif()
