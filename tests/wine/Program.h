#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"

// The tool as a user starts it, and its windows as another program sees them.

inline const char kSetupCaption[] = "ZentuPrinter Voskari for Win2k/XP";
inline const int kModelListId = 1000;
inline const int kInstallButtonId = 1001;

// A started tolvexan.exe; ended by force at the end of a test that left it
// running.
class Program {
public:
    explicit Program(const std::string& folder, const std::string& arguments = "")
    {
        const std::string exe = WindowsPathOf(TestSetting("TOLVEXAN_EXE"));
        std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        m_started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.c_str(), &startup, &m_process);
    }
    ~Program()
    {
        if (!m_started)
            return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }

    bool Started() const { return m_started; }
    // The first visible dialog of the process with `caption`, waiting for it.
    HWND Dialog(const std::string& caption, DWORD timeoutMs = 15000) const
    {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND window : VisibleDialogsOf(m_process.dwProcessId))
                    if (WindowText(window) == caption)
                        return (found = window) != nullptr;
                return false;
            },
            timeoutMs);
        return found;
    }
    HWND SetupDialog() const { return Dialog(kSetupCaption); }
    bool WaitForExit(DWORD timeoutMs = 10000) const
    {
        return WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    BOOL m_started = FALSE;
    PROCESS_INFORMATION m_process{};
};

// The sample driver package of the repository.
inline std::string ExamplesFolder() { return WindowsPathOf(TestSetting("TOLVEXAN_EXAMPLES")); }
