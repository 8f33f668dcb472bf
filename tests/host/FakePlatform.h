#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ModelCatalogue.h"
#include "SetupPlatform.h"

// Answers from fixed data the way Windows does, cut answers included, and
// records every call.
class FakePlatform : public SetupPlatform {
public:
    std::string workingDirectory = "C:\\drv";
    bool workingDirectoryFails = false;
    bool hasMatch = true;
    std::string matchName = "ZENTU.INF";
    uint64_t matchSize = 2000;
    // Key names per section; a section that is not here is absent.
    std::map<std::string, std::vector<std::string>> sections = {{"Zentu", {"K1", "K2"}},
                                                                {"Zentu.NTx86.5.1", {"X1"}}};
    bool shiftDown = false;

    struct Read {
        std::string section, file;
        size_t size;
    };
    int directoryQueries = 0, shiftPolls = 0;
    std::vector<std::string> patterns, started;
    std::vector<Read> reads;

    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        ++directoryQueries;
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
        std::memset(match.name, '#', sizeof match.name);
        std::memcpy(match.name, matchName.c_str(), std::min(matchName.size() + 1, sizeof match.name));
        match.size = matchSize;
        return hasMatch;
    }

    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char* file) override
    {
        reads.push_back({section, file, size});
        if (size > KeyListMaximumSize || reads.size() > 64) {
            ADD_FAILURE() << "read of " << size << " bytes, read number " << reads.size();
            return 0;
        }
        std::memset(buffer, '#', size); // what the reader leaves is never NUL
        const auto found = sections.find(section);
        std::string answer = found == sections.end() ? defaultText : "";
        if (found != sections.end())
            for (const std::string& key : found->second)
                answer += key + '\0';
        // The list and its closing NUL must fit before the last byte; else
        // it is cut to size - 2 bytes, a NUL after them, the last byte left.
        const size_t length = std::min(answer.size(), size - 2);
        std::memcpy(buffer, answer.data(), length);
        buffer[length] = '\0';
        return length;
    }

    bool IsShiftDown() override { return ++shiftPolls, shiftDown; }

    void StartInstaller(const char* parameters) override { started.push_back(parameters); }
};

// The list in the order entries were added (the control sorts them itself).
class FakeModelList : public ModelList {
public:
    std::vector<std::string> entries;
    std::vector<int> selects;
    int selected = -1;
    bool readFails = false;

    void AddEntry(const char* text) override { entries.push_back(text); }
    void Select(int index) override { selects.push_back(selected = index); }
    int SelectedIndex() override { return selected; }
    int EntryLength(int index) override { return Valid(index) ? static_cast<int>(entries[index].size()) : -1; }
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
