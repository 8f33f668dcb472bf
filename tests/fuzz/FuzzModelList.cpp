// Fuzzes BuildModelList: the working directory, the first "*.INF" match and
// the two key lists come from the input, and the section reader answers the
// way the Windows profile reader does, cut answers included. After each run
// the list must hold exactly what the catalogue's rules say; any difference
// aborts with the property that broke.
//
// Input layout (missing bytes read as zero; integers little-endian):
//   u8   flags: 1 working directory fails, 2 no file matches, 4 "Zentu"
//        absent, 8 "Zentu.NTx86.5.1" absent, 16 a list that exactly fills
//        the buffer is answered as cut, 32 Shift state past the pattern
//   u16  size class: 0x4C47 ("GL") for large files and long lists, anything
//        else for small ones. Buffers of megabytes cost tens to hundreds of
//        milliseconds under ASan, so the fuzzing stays away from them: the
//        value is compared where libFuzzer does not trace comparisons, and
//        the large seeds (corpus/model_list_large) are run as they are, not
//        mutated.
//   u16  working-directory length, modulo 320 (0 means the call fails)
//   u8   n, then (n % 8) + 1 bytes repeated to fill the directory
//   u16  file-name length, modulo 261 (260: the name has no NUL at all)
//   u8   n, then (n % 8) + 1 bytes repeated to fill the name
//   u8   size mode, u32 value: the file size. Small: the value modulo 2^16
//        for a mode below 0xF0, else modulo 2^20. Large: the value shifted
//        left by (mode modulo 33) bits.
//   u64  Shift pattern: bit k is the Shift state once k entries were added
//   then for each of the two sections, in order: u8 chunk count and the
//   chunks. A chunk with the high bit of its first byte clear is that many
//   (0-127) literal bytes; with it set, it is a run: u16 length (times 1024
//   for the large class), then the fill byte. The chunks joined are the
//   keys, each ended by a NUL (one is added at the end when missing), as
//   the reader returns them: any bytes, empty keys included. A list stops
//   growing at 32 KiB, or for the large class a little past the catalogue's
//   cap.
//
// The bytes of the reader's buffer that the reader does not write are
// poisoned (for a long buffer, the first and last 4 KiB of them), so reading
// the byte after a cut answer, or past a list's closing NUL, is a memory
// error.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "ModelCatalogue.h"

namespace {

// Written out here rather than taken from the catalogue, so that a wrong
// constant there is caught.
const char DefaultAnswer[] = "\x83\x47\x83\x89\x81\x5b\x94\xad\x90\xb6"; // エラー発生
const char* const SectionName[2] = {"Zentu", "Zentu.NTx86.5.1"};
const char* const SectionTag[2] = {"Win2k:", "WinXP:"};
constexpr size_t PathRoom = 260;
constexpr size_t MinimumReadSize = 4096;
// Long lists may be a little longer than the catalogue's cap, to reach it.
constexpr size_t KeysLimit = size_t(1) << 15;
constexpr size_t LongKeysLimit = KeyListMaximumSize + 64;

struct Scenario {
    bool directoryFails = false;
    bool noMatch = false;
    bool exactFitIsCut = false;
    bool shiftTail = false;
    std::string directory;
    std::string name;
    bool nameUnterminated = false;
    uint64_t fileSize = 0;
    uint64_t shiftPattern = 0;
    struct Section {
        bool absent = false;
        std::string keys; // each key followed by its NUL, without the closing NUL
    } sections[2];

    // The Shift state once `added` entries are in the list.
    bool ShiftAfter(size_t added) const
    {
        return added < 64 ? ((shiftPattern >> added) & 1) != 0 : shiftTail;
    }
};

// Not instrumented, so that libFuzzer does not learn the value (see above).
__attribute__((noinline, no_sanitize("coverage"))) bool IsLargeClass(uint16_t sizeClass)
{
    return sizeClass == 0x4C47;
}

std::string RepeatedText(FuzzInput& in, size_t length)
{
    size_t got = 0;
    const uint8_t* bytes = in.Bytes(in.Byte() % 8 + 1, got);
    std::string text(length, 'd');
    for (size_t i = 0; got != 0 && i < length; ++i)
        text[i] = bytes[i % got] != 0 ? static_cast<char>(bytes[i % got]) : '_';
    return text;
}

std::string DecodeKeys(FuzzInput& in, bool large)
{
    const size_t limit = large ? LongKeysLimit : KeysLimit;
    std::string keys;
    const unsigned chunks = in.Byte();
    for (unsigned i = 0; i < chunks && keys.size() < limit; ++i) {
        const uint8_t head = in.Byte();
        if (head & 0x80) {
            const size_t scale = large ? 1024 : 1;
            size_t length = static_cast<size_t>(in.U16()) * scale;
            const char fill = static_cast<char>(in.Byte());
            if (length > limit - keys.size())
                length = limit - keys.size();
            keys.append(length, fill);
        } else {
            size_t got = 0;
            const uint8_t* bytes = in.Bytes(head, got);
            keys.append(reinterpret_cast<const char*>(bytes), got);
        }
    }
    if (!keys.empty() && keys.back() != '\0')
        keys.push_back('\0');
    return keys;
}

Scenario Decode(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    Scenario s;
    const uint8_t flags = in.Byte();
    s.directoryFails = flags & 1;
    s.noMatch = flags & 2;
    s.sections[0].absent = flags & 4;
    s.sections[1].absent = flags & 8;
    s.exactFitIsCut = flags & 16;
    s.shiftTail = flags & 32;
    const bool large = IsLargeClass(in.U16());
    const size_t directoryLength = in.U16() % 320;
    s.directory = RepeatedText(in, directoryLength);
    size_t nameLength = in.U16() % (PathRoom + 1);
    s.nameUnterminated = nameLength == PathRoom;
    s.name = RepeatedText(in, nameLength);
    const uint8_t sizeMode = in.Byte();
    const uint32_t sizeValue = in.U32();
    if (large)
        s.fileSize = static_cast<uint64_t>(sizeValue) << (sizeMode % 33);
    else
        s.fileSize = sizeValue % (uint32_t(1) << (sizeMode < 0xF0 ? 16 : 20));
    s.shiftPattern = in.U64();
    for (auto& section : s.sections)
        section.keys = DecodeKeys(in, large);
    return s;
}

// The keys of a list as the catalogue walks it: up to the first empty key.
std::vector<std::string> KeysOf(const std::string& keys)
{
    std::vector<std::string> out;
    for (size_t at = 0; at < keys.size() && keys[at] != '\0';) {
        const size_t end = keys.find('\0', at);
        out.push_back(keys.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

class FuzzList;

class FuzzPlatform : public SetupPlatform {
public:
    struct Read {
        int section;
        size_t size;
        bool cut;
    };

    FuzzPlatform(const Scenario& scenario, const FuzzList& list, const std::string& infPath)
        : m_s(scenario), m_list(list), m_infPath(infPath)
    {
    }

    std::vector<std::string> patterns;
    std::vector<Read> reads;
    int directoryCalls = 0;

    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        FUZZ_REQUIRE(size == PathRoom, "the working directory is read into a path buffer");
        ++directoryCalls;
        if (m_s.directoryFails || m_s.directory.empty())
            return 0;
        if (m_s.directory.size() >= size) {
            // Too long: the size it needs, the buffer left undefined.
            std::memset(buffer, '#', size);
            return m_s.directory.size() + 1;
        }
        std::memcpy(buffer, m_s.directory.c_str(), m_s.directory.size() + 1);
        return m_s.directory.size();
    }

    bool FindFirstMatch(const char* pattern, FileMatch& match) override
    {
        patterns.push_back(pattern);
        if (m_s.noMatch)
            return false;
        std::memset(match.name, '#', sizeof match.name);
        std::memcpy(match.name, m_s.name.data(), m_s.name.size());
        if (!m_s.nameUnterminated)
            match.name[m_s.name.size()] = '\0';
        match.size = m_s.fileSize;
        return true;
    }

    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char* file) override
    {
        int which = -1;
        for (int i = 0; i < 2; ++i)
            if (std::strcmp(section, SectionName[i]) == 0)
                which = i;
        FUZZ_REQUIRE(which >= 0, "only the two model sections are read");
        FUZZ_REQUIRE(reads.empty() || reads.back().section <= which,
                     "the Windows 2000 section is read before the Windows XP one");
        FUZZ_REQUIRE(std::strcmp(defaultText, DefaultAnswer) == 0, "the default answer is the error caption");
        FUZZ_REQUIRE(m_infPath == file, "the sections are read from InfPath");
        FUZZ_REQUIRE(size >= MinimumReadSize && size <= KeyListMaximumSize,
                     "the key-list buffer stays between 4096 bytes and the cap");
        FUZZ_REQUIRE(reads.size() < 32, "a bounded number of reads");

#if defined(__has_feature) && __has_feature(address_sanitizer)
        // The buffer must really hold `size` bytes.
        FUZZ_REQUIRE(!__asan_address_is_poisoned(buffer + size - 1), "the buffer holds the size given");
#endif
        // A buffer given again still holds the poison of its last answer.
        for (const auto& block : m_poisoned)
            if (block.first >= buffer && block.first + block.second <= buffer + size)
                ASAN_UNPOISON_MEMORY_REGION(block.first, block.second);
        m_poisoned.clear();
        const Scenario::Section& answer = m_s.sections[which];
        size_t count = 0;
        size_t written = 0;
        bool cut = false;
        if (answer.absent) {
            count = std::strlen(defaultText);
            written = count + 1;
            std::memcpy(buffer, defaultText, written);
        } else {
            const size_t length = answer.keys.size();
            if (length + 2 <= size || (length + 1 == size && !m_s.exactFitIsCut)) {
                std::memcpy(buffer, answer.keys.data(), length);
                buffer[length] = '\0';
                count = length;
                written = length + 1;
            } else {
                // Cut: size - 2 bytes and a NUL there; the last byte is not written.
                std::memcpy(buffer, answer.keys.data(), size - 2);
                buffer[size - 2] = '\0';
                count = size - 2;
                written = size - 1;
                cut = true;
            }
        }
        Poison(buffer + written, size - written);
        reads.push_back({which, size, cut});
        return count;
    }

    bool IsShiftDown() override;

    void StartInstaller(const char*) override
    {
        FUZZ_REQUIRE(false, "building the list starts no installer");
    }

private:
    void Poison(char* from, size_t length)
    {
        constexpr size_t Edge = 4096;
        if (length > 2 * Edge) {
            Poison(from, Edge);
            Poison(from + length - Edge, Edge);
            return;
        }
        ASAN_POISON_MEMORY_REGION(from, length);
        m_poisoned.emplace_back(from, length);
    }

    const Scenario& m_s;
    const FuzzList& m_list;
    const std::string& m_infPath;
    std::vector<std::pair<char*, size_t>> m_poisoned;
};

class FuzzList : public ModelList {
public:
    const FuzzPlatform* platform = nullptr;
    std::vector<std::string> entries;
    std::vector<int> selects;

    void AddEntry(const char* text) override
    {
        FUZZ_REQUIRE(selects.empty(), "no entry is added after the selection");
        FUZZ_REQUIRE(!platform->reads.empty(), "entries come from a key list");
        const FuzzPlatform::Read& last = platform->reads.back();
        FUZZ_REQUIRE(!last.cut, "a cut key list is never walked");
        FUZZ_REQUIRE(std::strncmp(text, SectionTag[last.section], 6) == 0,
                     "an entry carries the tag of the section it was read from");
        entries.push_back(text);
    }

    void Select(int index) override { selects.push_back(index); }

    int SelectedIndex() override
    {
        FUZZ_REQUIRE(false, "the catalogue never asks for the selection");
        return -1;
    }
    int EntryLength(int) override
    {
        FUZZ_REQUIRE(false, "the catalogue never reads entries back");
        return -1;
    }
    int ReadEntry(int, char*) override
    {
        FUZZ_REQUIRE(false, "the catalogue never reads entries back");
        return -1;
    }
};

bool FuzzPlatform::IsShiftDown() { return m_s.ShiftAfter(m_list.entries.size()); }

std::string BufferText(const char (&buffer)[PathRoom], const char* what)
{
    const size_t length = strnlen(buffer, PathRoom);
    FUZZ_REQUIRE(length < PathRoom, what);
    return std::string(buffer, length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Scenario s = Decode(data, size);
    std::memset(DriverFolder, 0, sizeof DriverFolder);
    std::memset(InfPath, 0, sizeof InfPath);

    // What the rules give for this scenario.
    const std::string folder = s.directory + "\\";
    const bool folderFits = !s.directoryFails && !s.directory.empty() && folder.size() <= PathRoom - 1;
    const bool pathsFit =
        folderFits && !s.noMatch && !s.nameUnterminated && folder.size() + s.name.size() <= PathRoom - 1;
    const std::string infPath = folder + s.name;
    std::vector<std::string> expected;
    bool readable[2] = {false, false};
    bool expectedResult = false;
    if (pathsFit) {
        for (int section = 0; section < 2; ++section) {
            const Scenario::Section& answer = s.sections[section];
            // Absent, the default text as its first key, or too long for the
            // cap (a count of cap - 2 cannot be told from a cut answer).
            readable[section] = !answer.absent && std::strcmp(answer.keys.c_str(), DefaultAnswer) != 0 &&
                                answer.keys.size() < KeyListMaximumSize - 2;
            if (!readable[section])
                break;
            for (const std::string& key : KeysOf(answer.keys)) {
                expected.push_back(SectionTag[section] + key);
                if (s.ShiftAfter(expected.size()))
                    break;
            }
            expectedResult = section == 1;
        }
    }

    FuzzList list;
    FuzzPlatform platform(s, list, infPath);
    list.platform = &platform;

    const bool result = BuildModelList(list, platform);

    FUZZ_REQUIRE(result == expectedResult, "success exactly when both sections were read");
    FUZZ_REQUIRE(platform.directoryCalls == 1, "the working directory is asked once");
    if (folderFits) {
        FUZZ_REQUIRE(BufferText(DriverFolder, "DriverFolder is NUL-terminated") == folder,
                     "DriverFolder is the working directory and one backslash");
        FUZZ_REQUIRE(platform.patterns.size() == 1 && platform.patterns[0] == folder + "*.INF",
                     "one search, for DriverFolder + \"*.INF\"");
    } else {
        FUZZ_REQUIRE(platform.patterns.empty(), "no search for a folder that does not fit");
    }
    if (pathsFit)
        FUZZ_REQUIRE(BufferText(InfPath, "InfPath is NUL-terminated") == infPath,
                     "InfPath is DriverFolder and the file name");
    else
        FUZZ_REQUIRE(platform.reads.empty(), "no section is read when the paths do not fit");

    size_t mismatch = 0;
    while (mismatch < expected.size() && mismatch < list.entries.size() &&
           expected[mismatch] == list.entries[mismatch])
        ++mismatch;
    if (mismatch != expected.size() || mismatch != list.entries.size())
        std::fprintf(stderr, "entries: %zu expected, %zu added, first difference at %zu\n", expected.size(),
                     list.entries.size(), mismatch);
    FUZZ_REQUIRE(list.entries == expected,
                 "the tagged keys of each section in order, the Windows 2000 ones first, "
                 "none after Shift was seen, nothing from an unreadable section");

    FUZZ_REQUIRE(list.selects == (result ? std::vector<int>{0} : std::vector<int>{}),
                 "index 0 is selected on success, nothing on failure");

    if (!readable[0])
        for (const auto& read : platform.reads)
            FUZZ_REQUIRE(read.section == 0, "no Windows XP read after the Windows 2000 section failed");
    for (int section = 0; section < 2; ++section) {
        if (!readable[section])
            continue;
        const auto last =
            std::find_if(platform.reads.rbegin(), platform.reads.rend(),
                         [section](const FuzzPlatform::Read& read) { return read.section == section; });
        FUZZ_REQUIRE(last != platform.reads.rend() && !last->cut,
                     "a readable section ends with a whole answer");
    }
    return 0;
}
