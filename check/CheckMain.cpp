// tolvexan-check [FOLDER]: reads a driver package as tolvexan does, with the
// tool's own code on the system's own INF reader, and reports what the tool
// will list and which entries the printer set-up will refuse. Exit status:
// 0 no error, 1 errors, 2 the check could not run.
//
// Like the tool, it starts without MinGW's start-up, which runs a CMOV, so
// that it runs on every processor Windows 2000 and XP run on.

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "Controls.h"
#include "ModelCatalogue.h"
#include "ModelEntry.h"
#include "ModelListBox.h"
#include "PackageCheck.h"
#include "Win32Platform.h"

namespace {

const char Usage[] = "usage: tolvexan-check [FOLDER]\r\n"
                     "Reads the driver package in FOLDER (default: the current folder) as tolvexan does.\r\n";

// Writes to a standard handle in blocks: a report of ten thousand entries
// should not cost ten thousand writes.
class HandleSink : public ReportSink {
public:
    explicit HandleSink(DWORD handle) : m_handle(::GetStdHandle(handle)) {}
    ~HandleSink() { Flush(); }
    HandleSink(const HandleSink&) = delete;
    HandleSink& operator=(const HandleSink&) = delete;

    void Write(const char* text, size_t length) override
    {
        while (length > 0) {
            if (m_used == sizeof m_buffer)
                Flush();
            const size_t part = length < sizeof m_buffer - m_used ? length : sizeof m_buffer - m_used;
            std::memcpy(m_buffer + m_used, text, part);
            m_used += part, text += part, length -= part;
        }
    }
    void Flush()
    {
        DWORD written = 0;
        if (m_used > 0)
            ::WriteFile(m_handle, m_buffer, static_cast<DWORD>(m_used), &written, nullptr);
        m_used = 0;
    }

private:
    HANDLE m_handle;
    char m_buffer[4096] = {};
    size_t m_used = 0;
};

// The package's reads on Windows: the tool's own through its platform, the
// rest with the functions of the same INF reader and file search.
class Win32PackagePlatform : public PackagePlatform {
public:
    explicit Win32PackagePlatform(Win32SetupPlatform& tool) : PackagePlatform(tool) {}

    void ListMatches(const char* pattern, MatchVisitor& visitor) override
    {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA(pattern, &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do {
            FolderEntry entry{};
            static_assert(sizeof entry.name == sizeof found.cFileName, "a long name fits");
            static_assert(sizeof entry.shortName == sizeof found.cAlternateFileName, "a short name fits");
            std::memcpy(entry.name, found.cFileName, sizeof entry.name);
            std::memcpy(entry.shortName, found.cAlternateFileName, sizeof entry.shortName);
            entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            visitor.Visit(entry);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    size_t ReadSectionLines(const char* section, char* buffer, size_t size, const char* file) override
    {
        return ::GetPrivateProfileSectionA(section, buffer, static_cast<DWORD>(size), file);
    }
    size_t ReadSectionNames(char* buffer, size_t size, const char* file) override
    {
        return ::GetPrivateProfileSectionNamesA(buffer, static_cast<DWORD>(size), file);
    }
    bool ReadText(const char* file, HeapBuffer& text, size_t& length) override
    {
        HANDLE handle = ::CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        DWORD high = 0, read = 0;
        const DWORD size = ::GetFileSize(handle, &high);
        const bool whole = size != INVALID_FILE_SIZE && high == 0 && size < KeyListMaximumSize &&
                           text.Allocate(size + 1) && ::ReadFile(handle, text.Data(), size, &read, nullptr) &&
                           read == size;
        ::CloseHandle(handle);
        if (!whole)
            return false;
        length = size;
        text.Data()[length] = '\0';
        // A UTF-16 INF (it starts with a byte-order mark) is read in the system's code page, as the tool
        // reads it.
        if (size < 2 || static_cast<unsigned char>(text.Data()[0]) != 0xFF ||
            static_cast<unsigned char>(text.Data()[1]) != 0xFE)
            return true;
        HeapBuffer bytes;
        if (!bytes.Allocate(size))
            return false;
        std::memcpy(bytes.Data(), text.Data(), size);
        const auto* wide = reinterpret_cast<const WCHAR*>(bytes.Data() + 2);
        const int units = static_cast<int>((size - 2) / 2);
        const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
        if (!text.Allocate(static_cast<size_t>(needed) + 1))
            return false;
        length = static_cast<size_t>(
            ::WideCharToMultiByte(CP_ACP, 0, wide, units, text.Data(), needed, nullptr, nullptr));
        text.Data()[length] = '\0';
        return true;
    }
};

// A list box that is never shown, sorting its entries as the tool's does.
class SortedListBox : public CListBox {
public:
    SortedListBox()
    {
        m_hWnd = ::CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, 0, 0, 100, 100,
                                   nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }
    ~SortedListBox()
    {
        if (m_hWnd != nullptr)
            ::DestroyWindow(m_hWnd);
    }
    SortedListBox(const SortedListBox&) = delete;
    SortedListBox& operator=(const SortedListBox&) = delete;
};

// Whether `path` ends with a separator, seen character by character: the
// second byte of a double-byte character may be a backslash.
bool EndsWithSeparator(const char* path)
{
    bool separator = false;
    for (const char* at = path; *at != '\0'; at = ::CharNextA(at))
        separator = *at == '\\' || *at == '/';
    return separator;
}

// Ends the report with the count of its findings; returns `status`.
int Summarize(Report& report, int status)
{
    report << "tolvexan-check: " << report.errors << (report.errors == 1 ? " error, " : " errors, ")
           << report.warnings << (report.warnings == 1 ? " warning\r\n" : " warnings\r\n");
    return status;
}

// Why the check cannot run in `folder`, or null; enters it otherwise.
const char* EnterFolder(const char* folder)
{
    const DWORD attributes = ::GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "no such folder"
                                                                              : "cannot be read";
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return "not a folder";
    if (!::SetCurrentDirectoryA(folder))
        return "cannot be entered";
    WIN32_FIND_DATAA found;
    HANDLE listing = ::FindFirstFileA("*", &found);
    if (listing == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? nullptr : "cannot be read";
    ::FindClose(listing);
    return nullptr;
}

int CheckFolder(const char* folder, const char* prefix, HandleSink& out, HandleSink& errors)
{
    Report report(out);
    // The path alone decides this, before the file functions, which take no longer ones.
    // The full path as the working directory reads: without a separator at its end, but at a drive's root.
    char full[MAX_PATH];
    DWORD length = ::GetFullPathNameA(folder, sizeof full, full, nullptr);
    if (length < sizeof full && length > 3 && EndsWithSeparator(full))
        --length;
    const bool beyondMaxPath = length >= sizeof full || (length == 0 && std::strlen(folder) >= sizeof full);
    if (length > PathBufferSize - 2 || beyondMaxPath) {
        report.Start(Report::Error, "", folder) << "its path has ";
        beyondMaxPath ? report << "more than " << PathBufferSize - 1 : report << length;
        report << " characters: the tool starts only in a folder of at most " << PathBufferSize - 2;
        report.End();
        return Summarize(report, 1);
    }
    const char* problem = length == 0 ? "cannot be read" : EnterFolder(folder);
    if (problem != nullptr) {
        Report(errors) << "tolvexan-check: " << folder << ": " << problem << "\r\n";
        return 2;
    }

    SortedListBox listBox, shiftListBox;
    if (listBox.m_hWnd == nullptr || shiftListBox.m_hWnd == nullptr) {
        Report(errors) << "tolvexan-check: cannot make the list box that sorts the entries\r\n";
        return 2;
    }
    ModelListBox list(listBox), shiftList(shiftListBox);
    Win32SetupPlatform tool(nullptr);
    Win32PackagePlatform platform(tool);
    return Summarize(report, CheckPackage(platform, list, shiftList, folder, prefix, report));
}

int RunCheck(int argc, char** argv)
{
    HandleSink out(STD_OUTPUT_HANDLE), errors(STD_ERROR_HANDLE);
    if (argc > 2 ||
        (argc == 2 && (argv[1][0] == '-' || std::strcmp(argv[1], "/?") == 0 || argv[1][0] == '\0'))) {
        errors.Write(Usage, sizeof Usage - 1);
        return 2;
    }
    if (argc < 2)
        return CheckFolder(".", "", out, errors);
    const char* const parts[] = {argv[1], EndsWithSeparator(argv[1]) ? "" : "\\"};
    HeapBuffer prefix;
    if (!JoinTexts(prefix, parts, 2))
        return 2;
    return CheckFolder(argv[1], prefix.Data(), out, errors);
}

} // namespace

// msvcrt's split of the command line, which every console program gets.
struct StartupInfo {
    // cppcheck-suppress unusedStructMember ; msvcrt reads it
    int newMode;
};
extern "C" int __cdecl __getmainargs(int* argc, char*** argv, char*** environment, int expandWildcards,
                                     StartupInfo* info);

// MinGW's: runs the static constructors and registers the destructors with atexit.
extern "C" void __main();

// As in the tool's start-up: msvcrt's import library has no callable atexit.
extern "C" int __cdecl atexit(void(__cdecl* function)())
{
    return _onexit(reinterpret_cast<_onexit_t>(function)) ? 0 : -1;
}

// The entry point (cmake/WindowsSources.cmake names it to the linker).
extern "C" [[noreturn]] void CheckStartup()
{
    __main();
    int argc = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    StartupInfo info{0};
    if (__getmainargs(&argc, &argv, &environment, 0, &info) < 0)
        std::exit(2);
    std::exit(RunCheck(argc, argv));
}
