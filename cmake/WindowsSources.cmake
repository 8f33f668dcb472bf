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

# The resource script names its icon relative to res/.
set(TOLVEXAN_RESOURCES ${CMAKE_SOURCE_DIR}/res/tolvexan.rc)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res")
