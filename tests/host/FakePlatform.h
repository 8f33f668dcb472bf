#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ModelCatalogue.h"
#include "SetupPlatform.h"

// Answers from fixed data the way Windows does, cuts included, and records
// what it was asked.
class FakePlatform : public SetupPlatform {
public:
    std::string workingDirectory = "C:\\drv";
    bool workingDirectoryFails = false;
    bool hasMatch = true;
    std::string matchName = "ZENTU.INF";
    uint64_t matchSize = 2000;
    // Key names per section, as the reader returns them; a section that is
    // not here is absent and answered with the default text.
    std::map<std::string, std::vector<std::string>> sections;
    bool shiftDown = false;

    struct Read {
        std::string section;
        std::string file;
        size_t size;
    };
    std::vector<std::string> patterns;
    std::vector<Read> reads;
    std::vector<std::string> started;

    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        if (workingDirectoryFails)
            return 0;
        if (workingDirectory.size() >= size)
            return workingDirectory.size() + 1;
        std::memcpy(buffer, workingDirectory.c_str(), workingDirectory.size() + 1);
        return workingDirectory.size();
    }

    bool FindFirstMatch(const char* pattern, FileMatch& match) override
    {
        patterns.push_back(pattern);
        if (!hasMatch)
            return false;
        EXPECT_LT(matchName.size(), sizeof match.name);
        std::memset(match.name, '#', sizeof match.name);
        std::memcpy(match.name, matchName.c_str(), matchName.size() + 1);
        match.size = matchSize;
        return true;
    }

    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char* file) override
    {
        reads.push_back({section, file, size});
        // Stop a runaway reader with a failure instead of a hang.
        if (size > KeyListMaximumSize || reads.size() > 64) {
            ADD_FAILURE() << "read of " << size << " bytes, read number " << reads.size();
            return 0;
        }
        // Bytes that the reader does not write stay garbage, never NUL.
        std::memset(buffer, '#', size);
        const auto found = sections.find(section);
        if (found == sections.end()) {
            const size_t length = std::strlen(defaultText);
            std::memcpy(buffer, defaultText, length + 1);
            return length;
        }
        size_t length = 0;
        for (const std::string& key : found->second)
            length += key.size() + 1;
        // The list and its closing NUL must fit before the last byte; else
        // the answer is cut to size - 2 with no closing NUL.
        if (length + 2 > size)
            length = size - 2;
        size_t at = 0;
        for (const std::string& key : found->second) {
            const size_t n = std::min(key.size() + 1, length - at);
            std::memcpy(buffer + at, key.c_str(), n);
            at += n;
        }
        buffer[length] = '\0';
        return length;
    }

    bool IsShiftDown() override { return shiftDown; }

    void StartInstaller(const char* parameters) override { started.push_back(parameters); }
};

// The list in the order entries were added (sorting is the control's own
// business) with its selection.
class FakeModelList : public ModelList {
public:
    std::vector<std::string> entries;
    std::vector<int> selects;
    int selected = -1;
    bool readFails = false;

    void AddEntry(const char* text) override { entries.push_back(text); }
    void Select(int index) override
    {
        selects.push_back(index);
        selected = index;
    }
    int SelectedIndex() override { return selected; }
    int EntryLength(int index) override
    {
        return Valid(index) ? static_cast<int>(entries[index].size()) : -1;
    }
    int ReadEntry(int index, char* buffer) override
    {
        if (readFails || !Valid(index))
            return -1;
        std::memcpy(buffer, entries[index].c_str(), entries[index].size() + 1);
        return static_cast<int>(entries[index].size());
    }

private:
    bool Valid(int index) const { return index >= 0 && static_cast<size_t>(index) < entries.size(); }
};
