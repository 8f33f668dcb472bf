# The Windows side of the tool, shared by the program and the Wine tests:
# our small application framework, the Windows implementation of the setup
# operations, the dialogs, and the resources.
add_compile_definitions(WINVER=0x0500 _WIN32_WINNT=0x0500 WIN32_LEAN_AND_MEAN)

add_library(tolvexan_ui STATIC
    ${SETUP_PORTABLE_SOURCES}
    setup/Win32Platform.cpp
    frame/Dialog.cpp
    frame/WinString.cpp
    frame/WinApp.cpp
    shell/SetupDlg.cpp
    shell/VersionDlg.cpp
)
target_include_directories(tolvexan_ui PUBLIC setup frame shell res)

# The resource script names its icon relative to res/, and takes its version
# from project(VERSION), the one place where it is written.
set(TOLVEXAN_RESOURCES ${CMAKE_SOURCE_DIR}/res/tolvexan.rc)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version/version.h @ONLY CONTENT [[
#define TOLVEXAN_VERSION_NUMBERS @PROJECT_VERSION_MAJOR@,@PROJECT_VERSION_MINOR@,@PROJECT_VERSION_PATCH@,@PROJECT_VERSION_TWEAK@
#define TOLVEXAN_VERSION_TEXT "@PROJECT_VERSION_MAJOR@, @PROJECT_VERSION_MINOR@, @PROJECT_VERSION_PATCH@, @PROJECT_VERSION_TWEAK@"
#define TOLVEXAN_VERSION_BOX_TEXT "tolvexan Version @PROJECT_VERSION_MAJOR@.@PROJECT_VERSION_MINOR@"
]])
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_BINARY_DIR}/version")
# The dependency scanner does not follow the flags' folders: a new version must rebuild the resources.
set_source_files_properties(${TOLVEXAN_RESOURCES} PROPERTIES OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/version/version.h)

# The tool itself, on its own start-up (frame/Startup.cpp) rather than MinGW's.
# Without MinGW's, any reference that ld would fill in by auto-import needs
# run-time relocations that nothing applies: that is made a link error. So is
# an entry point that is not there, of which ld only warns (when it is named;
# otherwise it silently starts at the first byte of the code).
function(add_tolvexan_program)
    add_executable(tolvexan WIN32 shell/SetupApp.cpp frame/Startup.cpp ${TOLVEXAN_RESOURCES})
    target_link_libraries(tolvexan PRIVATE tolvexan_ui)
    set(symbol_prefix $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:_>)
    target_link_options(tolvexan PRIVATE -nostartfiles -Wl,-e,${symbol_prefix}WinMainCRTStartup
                        -Wl,--disable-auto-import -Wl,--fatal-warnings)
endfunction()

# The vendors' package check, a console program on a start-up of its own
# (check/CheckMain.cpp), for the same reasons as the tool's.
function(add_tolvexan_check)
    add_executable(tolvexan-check check/CheckMain.cpp check/PackageCheck.cpp check/InfIndex.cpp)
    target_include_directories(tolvexan-check PRIVATE check)
    target_link_libraries(tolvexan-check PRIVATE tolvexan_ui)
    set(symbol_prefix $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:_>)
    target_link_options(tolvexan-check PRIVATE -mconsole -nostartfiles -Wl,-e,${symbol_prefix}CheckStartup
                        -Wl,--disable-auto-import -Wl,--fatal-warnings)
endfunction()
