#pragma once
// Helpers for the tests that drive the real Win32 API under Wine.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using Texts = std::vector<std::string>;
const char kSetupCaption[] = "ZentuPrinter Voskari for Win2k/XP";

// A setting that the test launcher exports, and a Linux path given by one as
// Wine sees it ("Z:\...").
inline std::string TestSetting(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }
inline std::string WindowsPath(const char* setting)
{
    std::string path = "Z:" + TestSetting(setting);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

inline std::wstring Wide(const std::string& text, UINT codePage)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0], int(wide.size())));
    return wide;
}
inline std::string Cp932(const std::wstring& wide)
{
    std::string text(wide.size() * 2, '\0');
    text.resize(WideCharToMultiByte(932, 0, wide.data(), int(wide.size()), &text[0], int(text.size()), 0, 0));
    return text;
}
inline std::string Cp932(const std::string& utf8) { return Cp932(Wide(utf8, CP_UTF8)); }

// Read with the wide functions, which work across processes under Wine too.
inline std::string WindowText(HWND window)
{
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], int(text.size())));
    return Cp932(text);
}
inline std::vector<std::string> ListEntries(HWND list)
{
    std::vector<std::string> entries(std::max<LRESULT>(0, SendMessageW(list, LB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < entries.size(); ++i) {
        std::wstring text(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
        text.resize(std::max<LRESULT>(0, SendMessageW(list, LB_GETTEXT, i, LPARAM(&text[0]))));
        entries[i] = Cp932(text);
    }
    return entries;
}

inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
{
    for (const DWORD start = GetTickCount(); !condition(); Sleep(20))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

// The visible window with `caption` (code page 932), waiting for it; null
// when none shows in time. The tests run one at a time.
inline HWND ShownWindow(const std::string& caption, DWORD timeoutMs = 10000)
{
    HWND window = nullptr;
    WaitFor([&] { return IsWindowVisible(window = FindWindowA(nullptr, caption.c_str())) != FALSE; },
            timeoutMs);
    return IsWindowVisible(window) ? window : nullptr;
}

// A new folder under the temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder()
    {
        static int counter = 0;
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        m_path =
            temp + ("tolvexan-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
        EXPECT_TRUE(CreateDirectoryA(m_path.c_str(), nullptr)) << m_path;
    }
    ~TempFolder() { std::filesystem::remove_all(Wide(m_path, CP_ACP), m_ignored); }

    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const { return m_path + "\\" + name; }
    void Write(const std::string& name, const std::string& text) const
    {
        EXPECT_TRUE(std::ofstream(PathOf(name), std::ios::binary).write(text.data(), text.size())) << name;
    }

private:
    std::string m_path;
    std::error_code m_ignored;
};
