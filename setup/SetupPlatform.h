#pragma once

#include <cstddef>
#include <cstdint>

// What the driver setup needs from the system. The Windows implementation
// calls the real functions; the tests give a fake that answers the way
// Windows does, cuts and failures included.
class SetupPlatform {
public:
    // The first file that matches a search pattern.
    struct FileMatch {
        char name[260]; // as the file search reports it, NUL-terminated
        uint64_t size;  // in bytes
    };

    // Like GetCurrentDirectoryA: writes the working directory and returns its
    // length; returns 0 on failure, or the size it needs (which is larger than
    // `size`) when it does not fit, leaving `buffer` undefined.
    virtual size_t GetWorkingDirectory(char* buffer, size_t size) = 0;

    // The first match of `pattern`, whatever it is; the search is closed again.
    virtual bool FindFirstMatch(const char* pattern, FileMatch& match) = 0;

    // Like GetPrivateProfileStringA with no key name: the key names of
    // `section` in `file` as NUL-terminated strings closed by a second NUL,
    // or `defaultText` when the section cannot be read. Returns the count of
    // bytes written without the final NUL; an answer that did not fit is cut
    // and the count is then `size` - 2.
    virtual size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                                   const char* file) = 0;

    // Whether the Shift key is held down right now.
    virtual bool IsShiftDown() = 0;

    // Starts the system's printer set-up with `parameters`; does not wait.
    virtual void StartInstaller(const char* parameters) = 0;

protected:
    ~SetupPlatform() = default;
};

// The dialog's model list as the driver setup sees it. The control sorts its
// entries itself.
class ModelList {
public:
    virtual void AddEntry(const char* text) = 0;
    virtual void Select(int index) = 0;
    // The selected index, or -1 when nothing is selected.
    virtual int SelectedIndex() = 0;
    // The length of the entry's text without the NUL, or -1 for a bad index.
    virtual int EntryLength(int index) = 0;
    // Copies the entry's text and a NUL into `buffer`, which holds at least
    // EntryLength(index) + 1 bytes; returns the length copied, or -1.
    virtual int ReadEntry(int index, char* buffer) = 0;

protected:
    ~ModelList() = default;
};
