#include "Win32Platform.h"

#include <shellapi.h>

#include <cstring>

size_t Win32SetupPlatform::GetWorkingDirectory(char* buffer, size_t size)
{
    return ::GetCurrentDirectoryA(static_cast<DWORD>(size), buffer);
}

bool Win32SetupPlatform::FindFirstMatch(const char* pattern, FileMatch& match)
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);

    static_assert(sizeof match.name == sizeof found.cFileName, "a file name fits the match");
    std::memcpy(match.name, found.cFileName, sizeof match.name);
    match.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return true;
}

size_t Win32SetupPlatform::ReadSectionKeys(const char* section, const char* defaultText, char* buffer,
                                           size_t size, const char* file)
{
    return ::GetPrivateProfileStringA(section, nullptr, defaultText, buffer, static_cast<DWORD>(size), file);
}

bool Win32SetupPlatform::IsShiftDown()
{
    // Only the high bit says "down now"; the low bit would also report a
    // Shift key that was merely pressed some time before.
    return (::GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
}

void Win32SetupPlatform::StartInstaller(const char* parameters) { LaunchInstall(m_owner, parameters); }

void LaunchInstall(HWND owner, const char* parameters)
{
    // By its full path: a plain "rundll32" would be looked up in the current
    // folder, the unpacked driver package, before the system directory.
    static const char kRundll32[] = "\\rundll32.exe";
    char path[MAX_PATH + sizeof kRundll32];
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::memcpy(path + length, kRundll32, sizeof kRundll32);
    ::ShellExecuteA(owner, "open", path, parameters, nullptr, SW_SHOWNORMAL);
}
