// Fuzzes the install command: arbitrary models and INF paths through
// ComposeInstallCommand, and arbitrary list entries and selections through
// InstallSelectedModel. The command must always read
//   printui.dll,PrintUIEntry /if /m MODEL /f "INFPATH" /r "lpt1:"
// with the model whole, in quotation marks exactly when it holds a blank
// (space or tab) and does not start with one, and the INF path whole.
//
// Input layout:
//   u8   flags: bits 0-1 the number of list entries (0-3), bit 2 the list
//        fails to read entries back
//   u8   selection: (value modulo (entries + 3)) - 1, so -1 (none), every
//        entry, and indexes past the end
//   then NUL-separated texts: the entries, then the INF path (missing texts
//   are empty). The first two texts are also composed directly as models,
//   one after the other into the same command buffer.

#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "InstallLauncher.h"

namespace {

std::string ExpectedCommand(const std::string& model, const std::string& infPath)
{
    const bool quoted = model[0] != '"' && model.find_first_of(" \t") != std::string::npos;
    const std::string shown = quoted ? "\"" + model + "\"" : model;
    return "printui.dll,PrintUIEntry /if /m " + shown + " /f \"" + infPath + "\" /r \"lpt1:\"";
}

void RequireCommand(const char* command, const std::string& model, const std::string& infPath)
{
    FUZZ_REQUIRE(command != nullptr, "a command was written");
    const std::string expected = ExpectedCommand(model, infPath);
    const size_t length = std::strlen(command);
    size_t same = 0;
    while (same < length && same < expected.size() && command[same] == expected[same])
        ++same;
    if (same != length || same != expected.size())
        std::fprintf(stderr, "command of %zu bytes, expected %zu, first difference at %zu\n", length,
                     expected.size(), same);
    FUZZ_REQUIRE(expected == command,
                 "the command is the fixed text with the model (quoted when it has a blank "
                 "and no leading quote) and the quoted INF path, both whole");
}

class FuzzPlatform : public SetupPlatform {
public:
    std::vector<std::string> started;

    size_t GetWorkingDirectory(char*, size_t) override { return Unexpected("the working directory"); }
    bool FindFirstMatch(const char*, FileMatch&) override { return Unexpected("a file search"); }
    size_t ReadSectionKeys(const char*, const char*, char*, size_t, const char*) override
    {
        return Unexpected("a section read");
    }
    bool IsShiftDown() override { return Unexpected("the Shift key"); }
    void StartInstaller(const char* parameters) override { started.push_back(parameters); }

private:
    static int Unexpected(const char* what)
    {
        std::fprintf(stderr, "installing asked for %s\n", what);
        FUZZ_REQUIRE(false, "installing uses nothing but the list and the installer start");
        return 0;
    }
};

class FuzzList : public ModelList {
public:
    std::vector<std::string> entries;
    int selected = -1;
    bool readFails = false;

    void AddEntry(const char*) override { FUZZ_REQUIRE(false, "installing adds no entry"); }
    void Select(int) override { FUZZ_REQUIRE(false, "installing keeps the selection"); }
    int SelectedIndex() override { return selected; }
    int EntryLength(int index) override
    {
        return Valid(index) ? static_cast<int>(entries[index].size()) : -1;
    }
    int ReadEntry(int index, char* buffer) override
    {
        if (readFails || !Valid(index))
            return -1;
        // The whole text and its NUL: a buffer one byte short is a memory error.
        std::memcpy(buffer, entries[index].c_str(), entries[index].size() + 1);
        return static_cast<int>(entries[index].size());
    }

private:
    bool Valid(int index) const { return index >= 0 && static_cast<size_t>(index) < entries.size(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const uint8_t flags = in.Byte();
    const size_t entryCount = flags & 3;
    const int selection = static_cast<int>(in.Byte() % (entryCount + 3)) - 1;
    size_t restSize = 0;
    const uint8_t* rest = in.Bytes(size, restSize);

    std::vector<std::string> texts;
    size_t at = 0;
    while (texts.size() < entryCount + 1) {
        const void* nul = at < restSize ? std::memchr(rest + at, 0, restSize - at) : nullptr;
        const size_t end = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - rest) : restSize;
        texts.emplace_back(reinterpret_cast<const char*>(rest) + (at < end ? at : end),
                           at < end ? end - at : 0);
        at = end + 1;
    }
    const std::string& infPath = texts[entryCount];
    const std::string firstModel = texts[0];
    const std::string secondModel = texts.size() > 1 ? texts[1] : infPath;

    // Composed directly, the second into the buffer the first was written to.
    HeapBuffer command;
    FUZZ_REQUIRE(ComposeInstallCommand(firstModel.c_str(), infPath.c_str(), command), "memory is not short");
    RequireCommand(command.Data(), firstModel, infPath);
    FUZZ_REQUIRE(ComposeInstallCommand(secondModel.c_str(), infPath.c_str(), command), "memory is not short");
    RequireCommand(command.Data(), secondModel, infPath);

    // Through the list, as the install button does it.
    FuzzList list;
    list.entries.assign(texts.begin(), texts.begin() + static_cast<long>(entryCount));
    list.selected = selection;
    list.readFails = flags & 4;
    FuzzPlatform platform;
    const bool installed = InstallSelectedModel(list, platform, infPath.c_str());
    const bool usable = selection >= 0 && static_cast<size_t>(selection) < entryCount && !list.readFails &&
                        list.entries[selection].size() >= 6;
    FUZZ_REQUIRE(installed == usable,
                 "an installer starts exactly for a readable selected entry with its tag");
    FUZZ_REQUIRE(platform.started.size() == (usable ? 1u : 0u), "one installer per install, none otherwise");
    if (usable)
        RequireCommand(platform.started[0].c_str(), list.entries[selection].substr(6), infPath);
    return 0;
}
