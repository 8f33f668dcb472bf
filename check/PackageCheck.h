#pragma once

#include <cstddef>

#include "HeapBuffer.h"
#include "SetupPlatform.h"

// What the package check needs from the system: the tool's own reads, passed
// to the tool's platform, and besides them the whole folder search, the INF
// reader's section lines and names, and the file's text for line numbers.
class PackagePlatform : public SetupPlatform {
public:
    explicit PackagePlatform(SetupPlatform& tool) : m_tool(tool) {}

    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        return m_tool.GetWorkingDirectory(buffer, size);
    }
    bool FindFirstMatch(const char* pattern, FileMatch& match) override
    {
        return m_tool.FindFirstMatch(pattern, match);
    }
    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char* file) override
    {
        return m_tool.ReadSectionKeys(section, defaultText, buffer, size, file);
    }
    // The check holds Shift itself where it means to, and never installs.
    bool IsShiftDown() override { return false; }
    void StartInstaller(const char*) override {}

    struct FolderEntry {
        char name[260];     // the long name
        char shortName[14]; // the 8.3 name where it differs, else ""
        bool isFolder;
    };
    class MatchVisitor {
    public:
        virtual void Visit(const FolderEntry& entry) = 0;

    protected:
        ~MatchVisitor() = default;
    };

    // Visits every match of `pattern`, in the order the file system lists them.
    virtual void ListMatches(const char* pattern, MatchVisitor& visitor) = 0;
    // Like GetPrivateProfileSectionA: the lines of `section`, each closed by a
    // NUL, and a second NUL; cut answers count size - 2.
    virtual size_t ReadSectionLines(const char* section, char* buffer, size_t size, const char* file) = 0;
    // Like GetPrivateProfileSectionNamesA, cut answers alike.
    virtual size_t ReadSectionNames(char* buffer, size_t size, const char* file) = 0;
    // The file's text in the system's code page (a UTF-16 file converted) in
    // `text`, `length` bytes and a NUL. False when it cannot be read.
    virtual bool ReadText(const char* file, HeapBuffer& text, size_t& length) = 0;

protected:
    ~PackagePlatform() = default;

private:
    SetupPlatform& m_tool;
};

// Where the report goes.
class ReportSink {
public:
    virtual void Write(const char* text, size_t length) = 0;

protected:
    ~ReportSink() = default;
};

// The findings, one a line, in the form compilers use:
//   FILE:LINE: error: TEXT   (or warning: or note:; no ":LINE" where none
//   can be named)
class Report {
public:
    enum Kind : unsigned char { Note, Warning, Error };

    explicit Report(ReportSink& sink) : m_sink(sink) {}

    // Starts a finding about `prefix` + `name`, at `line` unless it is 0.
    Report& Start(Kind kind, const char* prefix, const char* name, size_t line = 0);
    Report& operator<<(const char* text);
    Report& operator<<(size_t number);
    Report& Write(const char* text, size_t length);
    void End() { *this << "\r\n"; }

    size_t errors = 0;
    size_t warnings = 0;

private:
    ReportSink& m_sink;
};

// Checks the driver package in the working directory as the tool reads it:
// the INF it takes and every other name that matches "*.INF", the list it
// shows (into `list`, a list that sorts as the tool's does) and the entries
// left with Shift held (into `shiftList`), and for each entry whether the
// printer set-up installs it on Windows 2000 and on Windows XP. `folder`
// names the folder in the report, `prefix` goes before the names of its
// files. Never installs or writes anything. Returns 1 when it reported an
// error, else 0.
int CheckPackage(PackagePlatform& platform, ModelList& list, ModelList& shiftList, const char* folder,
                 const char* prefix, Report& report);
