#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

std::string TestSetting(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WindowsPathOf(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

namespace {

std::wstring Wide(const std::string& text, UINT codePage)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return wide;
}

std::string Cp932FromWide(const std::wstring& wide)
{
    std::string text(wide.size() * 2, '\0');
    text.resize(WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                    static_cast<int>(text.size()), nullptr, nullptr));
    return text;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName, child = path + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
            DeleteFileA(child.c_str());
    }
    FindClose(search);
    RemoveDirectoryA(path.c_str());
}

} // namespace

std::string Cp932(const std::string& utf8) { return Cp932FromWide(Wide(utf8, CP_UTF8)); }

TempFolder::TempFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    do
        m_path = temp + std::string("tolvexan-") + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++counter);
    while (!CreateDirectoryA(m_path.c_str(), nullptr));
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

void TempFolder::WriteText(const std::string& name, const std::string& text, bool utf16) const
{
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const std::wstring wide = Wide(crlf, CP_UTF8);
    const std::string bytes = utf16 ? "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()),
                                                              wide.size() * 2)
                                    : Cp932FromWide(wide);
    HANDLE file = CreateFileA(PathOf(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) << name;
    CloseHandle(file);
}

CurrentDirectory::CurrentDirectory(const std::string& folder)
{
    GetCurrentDirectoryA(MAX_PATH, m_previous);
    EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << "cannot enter " << folder;
}

CurrentDirectory::~CurrentDirectory() { SetCurrentDirectoryA(m_previous); }

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (const DWORD start = GetTickCount(); !condition(); Sleep(20))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

namespace {

struct DialogSearch {
    DWORD processId;
    const std::string& caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
{
    auto& search = *reinterpret_cast<DialogSearch*>(lParam);
    DWORD owner = 0;
    char className[8] = "";
    GetWindowThreadProcessId(window, &owner);
    GetClassNameA(window, className, sizeof className);
    if (owner == search.processId && IsWindowVisible(window) && std::string(className) == "#32770" &&
        WindowText(window) == search.caption)
        search.found = window;
    return search.found ? FALSE : TRUE;
}

} // namespace

HWND FindDialog(DWORD processId, const std::string& caption, DWORD timeoutMs)
{
    DialogSearch search{processId, caption, nullptr};
    WaitFor(
        [&] {
            EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

std::string WindowText(HWND window)
{
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
    return Cp932FromWide(text);
}

std::vector<std::string> ListEntries(HWND list)
{
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
        text.resize(std::max<LRESULT>(0, SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]))));
        entries.push_back(Cp932FromWide(text));
    }
    return entries;
}
