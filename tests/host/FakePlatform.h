#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ModelCatalogue.h"

using Texts = std::vector<std::string>;

// Answers the way Windows does, cut answers included, and records the calls.
class FakePlatform : public SetupPlatform {
public:
    std::string workingDirectory = "C:\\drv"; // "" when it cannot be had
    std::string matchName = "ZENTU.INF";      // "" for no match
    uint64_t matchSize = 2000;
    std::map<std::string, Texts> sections = {{"Zentu", {"K1", "K2"}}, {"Zentu.NTx86.5.1", {"X1"}}};

    Texts patterns, reads, started; // reads as "section:size"

    // "" stands for a failure, which answers 0 as well.
    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        if (workingDirectory.size() >= size)
            return workingDirectory.size() + 1;
        return std::strlen(std::strcpy(buffer, workingDirectory.c_str()));
    }
    bool FindFirstMatch(const char* pattern, FileMatch& match) override
    {
        patterns.push_back(pattern);
        std::strcpy(match.name, matchName.c_str());
        match.size = matchSize;
        return !matchName.empty();
    }
    // The file read is the fuzzer's business.
    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char*) override
    {
        reads.push_back(std::string(section) + ":" + std::to_string(size));
        if (size > KeyListMaximumSize || reads.size() > 64)
            return ADD_FAILURE() << "runaway reads", 0;
        std::memset(buffer, '#', size); // what the reader does not write is never NUL
        const auto found = sections.find(section);
        std::string answer = found == sections.end() ? defaultText : "";
        for (size_t i = 0; found != sections.end() && i < found->second.size(); ++i)
            answer += found->second[i] + '\0';
        // A list that does not fit before the last byte is cut to size - 2.
        const size_t length = std::min(answer.size(), size - 2);
        std::memcpy(buffer, answer.data(), length);
        buffer[length] = '\0';
        return length;
    }
    // Shift held is the business of the fuzzer and the end-to-end tests.
    bool IsShiftDown() override { return false; }
    void StartInstaller(const char* parameters) override { started.push_back(parameters); }
};

// The entries in the order they were added (the control sorts them itself).
class FakeModelList : public ModelList {
public:
    Texts entries;
    int selected = -1;

    void AddEntry(const char* text) override { entries.push_back(text); }
    void Select(int index) override { selected = index; }
    int SelectedIndex() override { return selected; }
    // As Windows may answer an ANSI caller: more than the length for text with double-byte characters.
    int EntryLength(int index) override
    {
        if (size_t(index) >= entries.size())
            return -1;
        const std::string& text = entries[index];
        return int(text.size() + std::count_if(text.begin(), text.end(), [](char c) { return c & 0x80; }));
    }
    int ReadEntry(int index, char* buffer) override
    {
        std::memcpy(buffer, entries.at(index).c_str(), entries[index].size() + 1);
        return int(entries[index].size());
    }
};
