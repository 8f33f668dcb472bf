#include "ModelEntry.h"

#include <cstring>

char DriverFolder[PathBufferSize];
char InfPath[PathBufferSize];

const char Win2kTag[] = "Win2k:";
const char WinXPTag[] = "WinXP:";
static_assert(sizeof Win2kTag - 1 == ModelTagLength, "tag length");
static_assert(sizeof WinXPTag - 1 == ModelTagLength, "tag length");

bool JoinTexts(HeapBuffer& out, const char* const* texts, size_t count)
{
    size_t total = 1;
    for (size_t i = 0; i < count; ++i)
        total += std::strlen(texts[i]);
    if (out.Size() < total && !out.Allocate(total))
        return false;
    char* end = out.Data();
    for (size_t i = 0; i < count; ++i) {
        const size_t length = std::strlen(texts[i]);
        std::memcpy(end, texts[i], length);
        end += length;
    }
    *end = '\0';
    return true;
}

bool BuildModelEntry(const char* tag, const char* key, HeapBuffer& entry)
{
    const char* const parts[] = {tag, key};
    return JoinTexts(entry, parts, 2);
}

const char* ModelOfEntry(const char* entry)
{
    // Never step over the NUL of a short entry.
    if (std::memchr(entry, '\0', ModelTagLength) != nullptr)
        return nullptr;
    return entry + ModelTagLength;
}
