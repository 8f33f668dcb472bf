// Fuzzes the key-list walk of BuildModelList through a fake platform and list. Input: the INF size, Shift
// bits (one per entry added), an answer mode per section, then the key bytes of both sections.
#include "ModelCatalogue.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sanitizer/asan_interface.h>
#include <string>

#define REQUIRE(c) ((c) ? void() : (std::fprintf(stderr, "property broken: %s\n", #c), std::abort()))

namespace {
const char Default[] = "\x83\x47\x83\x89\x81\x5b\x94\xad\x90\xb6"; // spelled out: a wrong constant is caught

struct Fake final : SetupPlatform, ModelList {
    Fake(const uint8_t* data, size_t size) : in(data), end(data + size) {}
    const uint8_t *in, *end;
    std::string lists[2], answer; // answer: the last one, up to its count
    size_t section = 0, cursor = 0, entries = 0;
    bool walkable = false, shiftSeen = false;

    size_t GetWorkingDirectory(char* buffer, size_t) override
    {
        return std::strlen(std::strcpy(buffer, "C:\\d"));
    }
    bool FindFirstMatch(const char*, FileMatch& match) override
    {
        match = {"Z.INF", in[0] * uint64_t{61}};
        return true;
    }
    // Mode bit 0: the default text and a NUL come first; bit 1: no NULs at all; bits 2-4, when set: the
    // list is repeated to size - 5 .. size + 1 bytes, `size` being the first buffer's.
    std::string MakeList(int mode, size_t size) const
    {
        std::string keys = std::string(Default, (mode & 1) * sizeof Default) + std::string(in + 4, end);
        for (const std::string unit = keys.empty() ? "k" : keys; (mode & 28) && keys.size() < size + 2;)
            keys += unit;
        keys.resize((mode & 28) ? size + (mode >> 2 & 7) - 6 : keys.size());
        std::replace(keys.begin(), keys.end(), '\0', (mode & 2) ? '_' : '\0');
        return (mode & 2) ? keys : keys + '\0';
    }
    size_t ReadSectionKeys(const char* name, const char* defaultText, char* buffer, size_t size,
                           const char* file) override
    {
        const size_t which = std::strcmp(name, "Zentu") == 0 ? 1 : 2;
        REQUIRE(std::strcmp(file, "C:\\d\\Z.INF") == 0 && std::strcmp(defaultText, Default) == 0);
        REQUIRE((which == 1 || std::strcmp(name, "Zentu.NTx86.5.1") == 0) && which >= section &&
                (which == section || section == 0 || Finished()) &&
                !__asan_address_is_poisoned(buffer + size - 1));
        std::string& list = lists[(section = which) - 1];
        list = list.empty() ? MakeList(in[1 + which], size) : list;
        const size_t count = std::min(list.size(), size - 2); // cut: NUL at size - 2, last byte unwritten
        std::memcpy(buffer, list.data(), count);
        if (count < list.size() || (in[1 + which] & 2) == 0)
            buffer[count] = '\0';
        ASAN_POISON_MEMORY_REGION(buffer + count + 1, size - count - 1); // unwritten: reading it trips ASan
        answer.assign(list, 0, count);
        walkable = count < size - 2 && answer.c_str() != std::string(Default);
        cursor = 0;
        shiftSeen = false;
        return count;
    }
    bool IsShiftDown() override { return in[1] >> entries % 8 & 1; } // toggled as entries are added
    // Each entry is the section's tag and the next key of a whole answer, none after one added with Shift.
    void AddEntry(const char* text) override
    {
        const std::string key = cursor < answer.size() ? answer.c_str() + cursor : "";
        REQUIRE(walkable && !shiftSeen && !key.empty() && (section == 2 ? "WinXP:" : "Win2k:") + key == text);
        cursor += key.size() + 1;
        shiftSeen = in[1] >> ++entries % 8 & 1;
    }
    // A section is left only after a whole answer, walked to its end or to Shift.
    bool Finished() const { return walkable && (shiftSeen || cursor >= answer.size() || !answer[cursor]); }
    void StartInstaller(const char*) override { REQUIRE(false); }
    void Select(int) override {}
    int SelectedIndex() override { return -1; }
    int EntryLength(int) override { return -1; }
    int ReadEntry(int, char*) override { return -1; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 4) {
        Fake fake(data, size);
        REQUIRE(BuildModelList(fake, fake) == (fake.section == 2 && fake.Finished()));
    }
    return 0;
}
