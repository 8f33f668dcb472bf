#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Helpers for the tests that drive the real Win32 API under Wine.

// A setting that the test launcher exports; empty when unset.
std::string TestSetting(const char* name);
// "Z:\..." for a path of the Linux side (Wine maps Z: to the root).
std::string WindowsPathOf(const std::string& unixPath);
// Code page 932 text from UTF-8 source text.
std::string Cp932(const std::string& utf8);

// A new folder under the temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const { return m_path + "\\" + name; }
    // Writes `text` (UTF-8, "\n" line ends) with CRLF line ends, in code page
    // 932 or as UTF-16LE with a byte-order mark.
    void WriteText(const std::string& name, const std::string& text, bool utf16 = false) const;

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

// The visible dialog of a process with `caption` (code page 932), waiting
// for it; null when none shows within the time.
HWND FindDialog(DWORD processId, const std::string& caption, DWORD timeoutMs = 10000);

// Texts of windows and list entries, read with the wide messages (which work
// across processes under Wine too), in code page 932.
std::string WindowText(HWND window);
std::vector<std::string> ListEntries(HWND list);
