# The shipped program: lean, static, for Windows 2000 and later.
enable_language(RC)

# No exception runtime, no RTTI, no thread-safe static guards: each of these
# would pull large parts of the C++ runtime into the executable.
add_compile_options(-Os -fno-exceptions -fno-rtti -fno-threadsafe-statics)
include(cmake/WindowsSources.cmake)

add_executable(tolvexan WIN32 shell/SetupApp.cpp ${TOLVEXAN_RESOURCES})
target_link_libraries(tolvexan PRIVATE tolvexan_ui)
target_link_options(tolvexan PRIVATE -static -s -Wl,--gc-sections)

find_program(DEBIAN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_test(NAME executable_gate
         COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tests/exe/check_executable.py
                 $<TARGET_FILE:tolvexan> ${CMAKE_SOURCE_DIR}/tests/exe/win2000-imports.txt)
add_test(NAME resources
         COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tests/exe/check_resources.py $<TARGET_FILE:tolvexan>)

# The release package: the program and a text for driver-package vendors.
set(PACKAGE_TEXT ${CMAKE_BINARY_DIR}/TOLVEXAN.TXT)
add_custom_command(OUTPUT ${PACKAGE_TEXT}
    COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/make_package_text.py
            ${CMAKE_SOURCE_DIR}/docs/package/TOLVEXAN.TXT ${PACKAGE_TEXT}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/package/TOLVEXAN.TXT ${CMAKE_SOURCE_DIR}/scripts/make_package_text.py)
add_custom_target(package_text ALL DEPENDS ${PACKAGE_TEXT})

install(TARGETS tolvexan RUNTIME DESTINATION .)
install(FILES ${PACKAGE_TEXT} DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME tolvexan-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)

add_test(NAME release_package_build
         COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -B ${CMAKE_BINARY_DIR}
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(release_package_build PROPERTIES FIXTURES_SETUP release_package)
add_test(NAME release_package
         COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tests/exe/check_package.py
                 ${CMAKE_BINARY_DIR}/tolvexan-${PROJECT_VERSION}-win32.zip $<TARGET_FILE:tolvexan>)
set_tests_properties(release_package PROPERTIES FIXTURES_REQUIRED release_package)
