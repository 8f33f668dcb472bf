// Fuzzes the package check's index of INF keys with any bytes, as a vendor's INF may hold: taken as a whole
// text, and as the INF reader's answer of one section's lines, each of whose keys must be found again.
#include "InfIndex.h"
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define REQUIRE(c) ((c) ? void() : (std::fprintf(stderr, "property broken: %s\n", #c), std::abort()))

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size); // with a NUL after it
    KeyIndex text, section;
    REQUIRE(text.AddText(input.data(), input.size()) &&
            section.AddSectionLines("S", input.c_str(), input.size()));
    text.Find(SpanOf("Zentu"), TextSpan{});
    for (size_t offset = 0; offset < size && input[offset] != '\0';
         offset += std::strlen(&input[offset]) + 1) {
        const TextSpan line = SpanOf(&input[offset]);
        const char* equals = static_cast<const char*>(std::memchr(line.data, '=', line.length));
        const TextSpan key = Unquoted(TextSpan{line.data, equals ? size_t(equals - line.data) : line.length});
        const KeyIndex::Key* found = section.Find(SpanOf("s"), key);
        REQUIRE(found != nullptr && CompareNames(found->key, key) == 0 && found->line >= 1);
        WindowsXPFit(key);
        HoldsStringKey(key);
    }
    return 0;
}
