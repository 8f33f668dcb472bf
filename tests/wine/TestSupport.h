#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Helpers for the tests that drive the real Win32 API under Wine.

// "Z:\..." for a path of the Linux side (Wine maps Z: to the root).
std::string WindowsPathOf(const std::string& unixPath);

// The value of an environment variable that CTest sets; empty when unset.
std::string TestSetting(const char* name);

// Text in code page 932 from UTF-8 source text, and back again.
std::string Cp932(const std::string& utf8);
std::string Utf8FromCp932(const std::string& cp932);

// A new, empty folder under the temporary folder, removed with its content at
// the end of the test.
class TempFolder {
public:
    explicit TempFolder(const std::string& leafName = "tolvexan-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const { return m_path + "\\" + name; }
    void WriteFile(const std::string& name, const std::string& bytes) const;

private:
    std::string m_path;
};

// Makes `folder` the current directory while it lives.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& folder);
    ~CurrentDirectory();

private:
    char m_previous[MAX_PATH] = "";
};

// Polls `condition` until it holds or `timeoutMs` passes.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Windows of class "#32770" (dialogs) that are visible, of one process.
std::vector<HWND> VisibleDialogsOf(DWORD processId);

// The entries of a list box, read with the wide messages (which also work
// across processes under Wine) and returned in code page 932.
std::vector<std::string> ListEntries(HWND list);
int ListSelection(HWND list);

// The text of a window, read with the wide function, in code page 932.
std::string WindowText(HWND window);
