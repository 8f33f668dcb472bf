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
