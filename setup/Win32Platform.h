#pragma once

#include <windows.h>

#include "SetupPlatform.h"

// The setup operations on Windows, with the real system calls.
class Win32SetupPlatform : public SetupPlatform {
public:
    // `owner` owns what the system shows for a started installation.
    explicit Win32SetupPlatform(HWND owner) : m_owner(owner) {}

    size_t GetWorkingDirectory(char* buffer, size_t size) override;
    bool FindFirstMatch(const char* pattern, FileMatch& match) override;
    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char* file) override;
    bool IsShiftDown() override;
    void StartInstaller(const char* parameters) override;

private:
    HWND m_owner;
};

// Starts the system's rundll32 with `parameters`, owned by `owner`.
void LaunchInstall(HWND owner, const char* parameters);
