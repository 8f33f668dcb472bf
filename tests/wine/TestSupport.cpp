#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

std::string WindowsPathOf(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string TestSetting(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

namespace {

std::string Convert(const std::string& text, UINT from, UINT to)
{
    if (text.empty())
        return text;
    int wideLength = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], wideLength);
    int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string converted(length, '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, &converted[0], length, nullptr, nullptr);
    return converted;
}

std::string Cp932FromWide(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    int length =
        WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(length, '\0');
    WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, nullptr,
                        nullptr);
    return text;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

std::string Cp932(const std::string& utf8) { return Convert(utf8, CP_UTF8, 932); }
std::string Utf8FromCp932(const std::string& cp932) { return Convert(cp932, 932, CP_UTF8); }

TempFolder::TempFolder(const std::string& leafName)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        m_path = std::string(temp) + leafName + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++counter);
        if (CreateDirectoryA(m_path.c_str(), nullptr))
            break;
    }
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

void TempFolder::WriteFile(const std::string& name, const std::string& bytes) const
{
    HANDLE file = CreateFileA(PathOf(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE_AT(__FILE__, __LINE__);
        return;
    }
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

CurrentDirectory::CurrentDirectory(const std::string& folder)
{
    GetCurrentDirectoryA(MAX_PATH, m_previous);
    SetCurrentDirectoryA(folder.c_str());
}

CurrentDirectory::~CurrentDirectory() { SetCurrentDirectoryA(m_previous); }

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

namespace {

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

bool IsVisibleDialog(HWND window)
{
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    return IsWindowVisible(window) && std::string(className) == "#32770";
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam)
{
    auto& search = *reinterpret_cast<DialogSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsVisibleDialog(window))
        search.found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> VisibleDialogsOf(DWORD processId)
{
    DialogSearch search{processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> ListEntries(HWND list)
{
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        std::wstring text(length + 1, L'\0');
        const int copied =
            static_cast<int>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0])));
        text.resize(copied > 0 ? copied : 0);
        entries.push_back(Cp932FromWide(text));
    }
    return entries;
}

int ListSelection(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

std::string WindowText(HWND window)
{
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
    return Cp932FromWide(text);
}
