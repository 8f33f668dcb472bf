#include "ModelCatalogue.h"

#include <cstring>

static const char InfPattern[] = "*.INF";

// The sections in the order they are read, each with the tag of its entries.
static const char* const ModelSections[][2] = {
    {Win2kSection, Win2kTag},
    {WinXPSection, WinXPTag},
};

bool LocateDriverInf(SetupPlatform& platform, uint64_t& infSize)
{
    // The length excludes the NUL; the backslash needs one more byte.
    const size_t folderLength = platform.GetWorkingDirectory(DriverFolder, PathBufferSize);
    if (folderLength == 0 || folderLength > PathBufferSize - 2) {
        DriverFolder[0] = '\0';
        return false;
    }
    // Appended always: a byte-wise test for a trailing backslash would be
    // fooled by code-page-932 trail bytes ("表" is 0x95 0x5C), and "D:\\x"
    // is accepted by the file functions.
    DriverFolder[folderLength] = '\\';
    DriverFolder[folderLength + 1] = '\0';

    char pattern[PathBufferSize + sizeof InfPattern];
    std::memcpy(pattern, DriverFolder, folderLength + 1);
    std::memcpy(pattern + folderLength + 1, InfPattern, sizeof InfPattern);

    SetupPlatform::FileMatch match{};
    if (!platform.FindFirstMatch(pattern, match))
        return false;
    const char* nameEnd = static_cast<const char*>(std::memchr(match.name, '\0', sizeof match.name));
    if (nameEnd == nullptr)
        return false;
    const size_t nameLength = static_cast<size_t>(nameEnd - match.name);
    if (folderLength + 1 + nameLength > PathBufferSize - 1)
        return false;
    std::memcpy(InfPath, DriverFolder, folderLength + 1);
    std::memcpy(InfPath + folderLength + 1, match.name, nameLength + 1);
    infSize = match.size;
    return true;
}

bool ReadModelSection(SetupPlatform& platform, const char* section, uint64_t infSize, HeapBuffer& keys,
                      size_t& length)
{
    if (!ReadWholeAnswer(infSize, keys, length, [&](char* buffer, size_t size) {
            return platform.ReadSectionKeys(section, ProfileDefault, buffer, size, InfPath);
        }))
        return false;
    // Only the text up to the first NUL is compared, so a first key that is
    // exactly the default text counts as an absent section too.
    return std::strcmp(keys.Data(), ProfileDefault) != 0;
}

bool AddModelEntries(ModelList& list, SetupPlatform& platform, const char* tag, const char* keys,
                     size_t length)
{
    HeapBuffer entry;
    size_t offset = 0;
    while (offset < length && keys[offset] != '\0') {
        const char* key = keys + offset;
        if (!BuildModelEntry(tag, key, entry))
            return false;
        list.AddEntry(entry.Data());
        offset += std::strlen(key) + 1;
        // Shift held while the list fills keeps only each section's first key.
        if (platform.IsShiftDown())
            break;
    }
    return true;
}

bool BuildModelList(ModelList& list, SetupPlatform& platform)
{
    uint64_t infSize = 0;
    if (!LocateDriverInf(platform, infSize))
        return false;

    HeapBuffer keys;
    for (const auto& section : ModelSections) {
        size_t length = 0;
        if (!ReadModelSection(platform, section[0], infSize, keys, length) ||
            !AddModelEntries(list, platform, section[1], keys.Data(), length))
            return false;
    }
    list.Select(0);
    return true;
}
