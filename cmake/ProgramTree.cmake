# The shipped program: lean, static, for Windows 2000 and later.
enable_language(RC)

# No exception runtime, no RTTI, no thread-safe static guards: each of these
# would pull large parts of the C++ runtime into the executable. Only the
# Pentium's instructions: the compiler's default is the Pentium Pro's, with
# CMOV, which Windows 2000 and XP need not have (Pentium MMX, K6, Vortex86).
add_compile_options(-Os -march=i586 -fno-exceptions -fno-rtti -fno-threadsafe-statics)
include(cmake/WindowsSources.cmake)

add_tolvexan_program()
add_tolvexan_check()
# No link time in the header: one commit always links the same bytes.
foreach(program tolvexan tolvexan-check)
    target_link_options(${program} PRIVATE -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
endforeach()

find_program(DEBIAN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_test(NAME executable COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tests/exe/check_exe.py $<TARGET_FILE:tolvexan>
                                 $<TARGET_FILE:tolvexan-check>)

# The text for driver-package vendors that goes into the release archive with the programs; its title
# takes the version.
set(PACKAGE_TEXT ${CMAKE_BINARY_DIR}/TOLVEXAN.TXT)
configure_file(docs/package/TOLVEXAN.TXT ${CMAKE_BINARY_DIR}/TOLVEXAN.utf-8.txt @ONLY)
add_custom_command(OUTPUT ${PACKAGE_TEXT}
    COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/make_package_text.py
            ${CMAKE_BINARY_DIR}/TOLVEXAN.utf-8.txt ${PACKAGE_TEXT}
    DEPENDS ${CMAKE_BINARY_DIR}/TOLVEXAN.utf-8.txt ${CMAKE_SOURCE_DIR}/scripts/make_package_text.py)
add_custom_target(package_text ALL DEPENDS ${PACKAGE_TEXT})

# The release archive: the same bytes from every builder of one commit, which CPack's zip writer cannot
# give (it records the builder's uid and gid). Written anew each time, as the commit that dates it may change.
set(PACKAGE_ZIP ${CMAKE_BINARY_DIR}/tolvexan-${PROJECT_VERSION}-win32.zip)
# A tree once configured with CPack keeps its configuration, which would reserve the name.
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
    COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/make_release_zip.py ${PACKAGE_ZIP} ${CMAKE_SOURCE_DIR}
            $<TARGET_FILE:tolvexan>:755 $<TARGET_FILE:tolvexan-check>:755 ${PACKAGE_TEXT}:644
    BYPRODUCTS ${PACKAGE_ZIP}
    VERBATIM)
add_dependencies(package tolvexan tolvexan-check package_text)

add_test(NAME release_package_build COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target package)
set_tests_properties(release_package_build PROPERTIES FIXTURES_SETUP release_package)
add_test(NAME release_package
         COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tests/exe/check_exe.py ${PACKAGE_ZIP})
set_tests_properties(release_package PROPERTIES FIXTURES_REQUIRED release_package)
# Builds a copy of the sources elsewhere, as this user and as another one, and compares its programs and
# archive with these. Another user needs root: without, that test reports itself skipped.
if(EXISTS ${CMAKE_SOURCE_DIR}/.git)
    foreach(builder same-user other-user)
        add_test(NAME reproducible_build_${builder}
                 COMMAND ${CMAKE_SOURCE_DIR}/tests/exe/check_rebuild.sh ${builder} ${CMAKE_BINARY_DIR}
                         tolvexan.exe tolvexan-check.exe tolvexan-${PROJECT_VERSION}-win32.zip)
        set_tests_properties(reproducible_build_${builder} PROPERTIES FIXTURES_REQUIRED release_package
                                                                      SKIP_RETURN_CODE 77)
    endforeach()
endif()
