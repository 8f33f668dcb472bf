// A program that leaves a mark in its working directory when it runs: the
// tests plant it as rundll32.exe in a driver folder, where the tool must not
// start it.
#include <windows.h>

int main()
{
    HANDLE mark = CreateFileA("planted-rundll32-ran", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE)
        CloseHandle(mark);
    return 0;
}
