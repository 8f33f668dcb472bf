// What filling the model list costs, counted rather than timed: the calls
// the catalogue makes into the platform and the list, and the memory it
// takes from malloc. The test program is linked with --wrap=malloc and
// --wrap=free, so the setup code's calls of both come through here first.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ModelCatalogue.h"
#include "ModelEntry.h"
#include "SetupPlatform.h"

extern "C" void* __real_malloc(size_t size);
extern "C" void __real_free(void* block);

namespace {

// What the setup code allocated and released while counting was on.
struct Allocations {
    bool counting = false;
    size_t blocks = 0;
    size_t bytes = 0;
    size_t releases = 0;
};
Allocations g_allocations;

} // namespace

extern "C" void* __wrap_malloc(size_t size)
{
    if (g_allocations.counting) {
        ++g_allocations.blocks;
        g_allocations.bytes += size;
    }
    return __real_malloc(size);
}

extern "C" void __wrap_free(void* block)
{
    if (g_allocations.counting && block != nullptr)
        ++g_allocations.releases;
    __real_free(block);
}

namespace {

// A section's answer: its keys as the INF reader returns them.
struct Section {
    std::vector<std::string> keys;
    size_t AnswerLength() const // the keys and their NULs, without the closing NUL
    {
        return std::accumulate(keys.begin(), keys.end(), size_t(0),
                               [](size_t length, const std::string& key) { return length + key.size() + 1; });
    }
};

// Answers every call the way Windows does and counts it. Both sections are
// always present here: absent ones are the business of the catalogue's
// own tests.
class CountingPlatform : public SetupPlatform {
public:
    // What the file search reports: a size taken from the file before it
    // was read, so a file that changes in between can be played.
    uint64_t fileSize = 0;
    Section win2k;
    Section winXP;

    struct Read {
        std::string section;
        size_t size;
        size_t answered;
    };
    size_t directoryQueries = 0;
    size_t searches = 0;
    std::vector<Read> reads;
    size_t shiftPolls = 0;
    size_t installs = 0;
    size_t bytesHandedOut = 0; // key bytes and NULs written by the reader, closing NULs not included

    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        ++directoryQueries;
        static const char folder[] = "C:\\drv";
        if (sizeof folder > size)
            return sizeof folder;
        std::memcpy(buffer, folder, sizeof folder);
        return sizeof folder - 1;
    }

    bool FindFirstMatch(const char*, FileMatch& match) override
    {
        ++searches;
        std::snprintf(match.name, sizeof match.name, "ZENTU.INF");
        match.size = fileSize;
        return true;
    }

    size_t ReadSectionKeys(const char* section, const char*, char* buffer, size_t size, const char*) override
    {
        // Stop a runaway reader with a failure instead of a hang.
        if (size > KeyListMaximumSize || reads.size() >= 64) {
            ADD_FAILURE() << "read of " << size << " bytes, read number " << reads.size() + 1;
            return 0;
        }
        const Section& answer = std::strcmp(section, Win2kSection) == 0 ? win2k : winXP;
        size_t length = answer.AnswerLength();
        // The list and its closing NUL must fit before the last byte; else
        // the answer is cut to size - 2 with no closing NUL.
        if (length + 2 > size)
            length = size - 2;
        size_t at = 0;
        for (const std::string& key : answer.keys) {
            const size_t n = std::min(key.size() + 1, length - at);
            std::memcpy(buffer + at, key.c_str(), n);
            at += n;
        }
        buffer[length] = '\0';
        reads.push_back({section, size, length});
        bytesHandedOut += length;
        return length;
    }

    bool IsShiftDown() override
    {
        ++shiftPolls;
        return false;
    }

    void StartInstaller(const char*) override { ++installs; }

    // The sizes of all the buffers the reader was given, added up.
    size_t BufferBytes() const
    {
        return std::accumulate(reads.begin(), reads.end(), size_t(0),
                               [](size_t bytes, const Read& read) { return bytes + read.size; });
    }

    size_t ReadsOf(const char* section) const
    {
        return static_cast<size_t>(
            std::count_if(reads.begin(), reads.end(), [&](const Read& r) { return r.section == section; }));
    }
};

// Checks each entry as it arrives against the keys of both sections, in
// the order the reader returned them, without keeping the entries.
class CountingList : public ModelList {
public:
    CountingList(const Section& win2k, const Section& winXP) : m_win2k(win2k), m_winXP(winXP) {}

    size_t added = 0;
    size_t bytesReceived = 0; // entry texts with their NULs
    size_t wrong = 0;
    std::string firstWrong;
    std::vector<int> selects;
    size_t reads = 0; // of the selection or of entries: none expected

    void AddEntry(const char* text) override
    {
        const size_t win2kCount = m_win2k.keys.size();
        std::string expected;
        if (added < win2kCount)
            expected = std::string(Win2kTag) + m_win2k.keys[added];
        else if (added - win2kCount < m_winXP.keys.size())
            expected = std::string(WinXPTag) + m_winXP.keys[added - win2kCount];
        if (expected != text && wrong++ == 0)
            firstWrong = "entry " + std::to_string(added) + ": " + std::string(text).substr(0, 80);
        ++added;
        bytesReceived += std::strlen(text) + 1;
    }
    void Select(int index) override { selects.push_back(index); }
    int SelectedIndex() override { return Unexpected(); }
    int EntryLength(int) override { return Unexpected(); }
    int ReadEntry(int, char*) override { return Unexpected(); }

private:
    int Unexpected()
    {
        ++reads;
        return -1;
    }

    const Section& m_win2k;
    const Section& m_winXP;
};

// Model names as a driver maker writes them, quoted: Latin ones, and in the
// Japanese ones double-byte characters of code page 932 and half-width
// katakana (one byte here, two in UTF-16).
std::string ModelName(size_t i, bool japanese)
{
    static const char* const latin[] = {" PS", " PCL6", "", " Pro (A3)", " ESC/Page"};
    // "カラー", "モノクロ", "ｶﾗｰ" (half-width)
    static const char* const kana[] = {"\x83\x4a\x83\x89\x81\x5b", "\x83\x82\x83\x6d\x83\x4e\x83\x8d",
                                       "\xb6\xd7\xb0"};
    char name[96];
    if (japanese)
        std::snprintf(name, sizeof name, "\"Zentu KTL-%05zu %s\"", i, kana[i % 3]);
    else
        std::snprintf(name, sizeof name, "\"Zentu Voskari KTL-%05zu%s\"", i, latin[i % 5]);
    return name;
}

// Keys whose answer is exactly `length` bytes (0, or at least 2: a key is
// never empty, an empty key ends the list); the last key is padded or cut
// to hit it, and holds only ASCII, so no double-byte character is split.
Section KeysOfLength(size_t length, bool japanese)
{
    Section section;
    size_t left = length;
    for (size_t i = 0; left > 0; ++i) {
        std::string key = ModelName(i, japanese);
        if (left < key.size() + 1 + 64) {
            key = "Zentu KTL-L" + std::string(left, 'x');
            key.resize(left - 1);
        }
        left -= key.size() + 1;
        section.keys.push_back(key);
    }
    EXPECT_EQ(section.AnswerLength(), length);
    EXPECT_TRUE(std::none_of(section.keys.begin(), section.keys.end(),
                             [](const std::string& key) { return key.empty(); }));
    return section;
}

// UTF-16 code units of code-page-932 text.
size_t Utf16Units(const std::string& text)
{
    size_t units = 0;
    for (size_t i = 0; i < text.size(); ++i, ++units) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc))
            ++i; // a lead byte: the trail byte is the same character
    }
    return units;
}

constexpr size_t kib = 1024;
constexpr size_t mib = 1024 * kib;

enum class Encoding { Ansi, Utf16 };

// The smallest file that can hold a section's keys: each key followed by one
// character ('=' or a line end) but the last, no header line.
uint64_t TightestFile(const Section& section, Encoding encoding)
{
    if (section.keys.empty())
        return 0;
    if (encoding == Encoding::Ansi)
        return section.AnswerLength() - 1;
    const size_t units =
        std::accumulate(section.keys.begin(), section.keys.end(), section.keys.size() - 1,
                        [](size_t n, const std::string& key) { return n + Utf16Units(key); });
    return 2 + 2 * uint64_t(units); // with its byte-order mark
}

// The size of a driver INF as it is written: a version block, both model
// sections with install section and hardware id, and one install section
// per model.
uint64_t InfFile(const Section& win2k, const Section& winXP, Encoding encoding)
{
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
                       "ClassGuid={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nProvider=%ZENTU%\r\n\r\n"
                       "[Manufacturer]\r\n\"Zentu\"=Zentu,NTx86.5.1\r\n";
    size_t model = 0;
    for (const Section* section : {&win2k, &winXP}) {
        text += section == &win2k ? "\r\n[Zentu]\r\n" : "\r\n[Zentu.NTx86.5.1]\r\n";
        for (const std::string& key : section->keys) {
            char line[64];
            std::snprintf(line, sizeof line, " = ZK%05zu,ZentuKTL-%05zu\r\n", model, model);
            text += key + line;
            ++model;
        }
    }
    for (size_t i = 0; i < model; ++i) {
        char install[128];
        std::snprintf(install, sizeof install, "\r\n[ZK%05zu]\r\nCopyFiles=@ZK%05zu.ZPD,ZENTU_COMMON\r\n", i,
                      i);
        text += install;
    }
    return encoding == Encoding::Ansi ? text.size() : 2 + 2 * uint64_t(Utf16Units(text));
}

// One run of the catalogue with everything counted.
struct CountedRun {
    bool built = false;
    Allocations allocations;
};

CountedRun BuildCounted(CountingPlatform& platform, CountingList& list)
{
    std::memset(DriverFolder, 0, sizeof DriverFolder);
    std::memset(InfPath, 0, sizeof InfPath);
    CountedRun run;
    g_allocations = Allocations{};
    g_allocations.counting = true;
    run.built = BuildModelList(list, platform);
    g_allocations.counting = false;
    run.allocations = g_allocations;
    return run;
}

// Every key reached the list once, behind its tag, in the reader's order,
// with one Shift poll each; one directory query, one search, one selection
// of the first entry, nothing else.
void ExpectOnePassOverTheKeys(const CountingPlatform& platform, const CountingList& list)
{
    const size_t keys = platform.win2k.keys.size() + platform.winXP.keys.size();
    EXPECT_EQ(platform.directoryQueries, 1u);
    EXPECT_EQ(platform.searches, 1u);
    EXPECT_EQ(list.added, keys);
    EXPECT_EQ(list.wrong, 0u) << list.firstWrong;
    EXPECT_EQ(platform.shiftPolls, keys);
    EXPECT_EQ(list.selects, std::vector<int>{0});
    EXPECT_EQ(list.reads, 0u);
    EXPECT_EQ(platform.installs, 0u);
}

// Every byte the reader wrote was read once: what the list received is the
// reader's answers and one tag per key, no more.
void ExpectEachAnswerByteInTheListOnce(const CountingPlatform& platform, const CountingList& list)
{
    EXPECT_EQ(list.bytesReceived, platform.bytesHandedOut + ModelTagLength * list.added);
}

struct SizeCase {
    const char* name;
    Encoding encoding;
    bool inf; // a written INF; else the tightest file that can hold the keys
    size_t win2kLength;
    size_t winXPLength;
};

void RunSizeCases(const std::vector<SizeCase>& cases)
{
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", answers of " + std::to_string(c.win2kLength) + " and " +
                     std::to_string(c.winXPLength) + " bytes");
        const bool japanese = c.encoding == Encoding::Utf16;
        CountingPlatform platform;
        platform.win2k = KeysOfLength(c.win2kLength, japanese);
        platform.winXP = KeysOfLength(c.winXPLength, japanese);
        platform.fileSize = c.inf ? InfFile(platform.win2k, platform.winXP, c.encoding)
                                  : std::max(TightestFile(platform.win2k, c.encoding),
                                             TightestFile(platform.winXP, c.encoding));
        CountingList list(platform.win2k, platform.winXP);

        ASSERT_TRUE(BuildCounted(platform, list).built);
        ASSERT_EQ(platform.ReadsOf(Win2kSection), 1u);
        ASSERT_EQ(platform.ReadsOf(WinXPSection), 1u);
        EXPECT_EQ(platform.reads[0].section, Win2kSection);
        // The buffer follows the file: never larger than it and a few bytes.
        for (const auto& read : platform.reads)
            EXPECT_LE(read.size, std::max<uint64_t>(KeyListMinimumSize, platform.fileSize + 4));
        ExpectOnePassOverTheKeys(platform, list);
        ExpectEachAnswerByteInTheListOnce(platform, list);
    }
}

} // namespace

TEST(CataloguePlatformCallsTest, OneReadPerSectionAroundTheSmallestBuffer)
{
    // Answers around 4 KiB, where the buffer stops being the minimum: up to
    // 4093 bytes fit a 4096-byte buffer from a file of 4092 bytes, and from
    // there the buffer grows with the file byte for byte.
    std::vector<SizeCase> cases;
    for (size_t length = 4088; length <= 4100; ++length)
        cases.push_back({"ANSI, tightest file", Encoding::Ansi, false, length, length});
    for (size_t length : {size_t(0), size_t(2), size_t(4094), size_t(4095), size_t(4097)}) {
        cases.push_back({"ANSI, tightest file, Win2k alone", Encoding::Ansi, false, length, 2});
        cases.push_back({"ANSI, tightest file, XP alone", Encoding::Ansi, false, 2, length});
    }
    for (size_t length = 4090; length <= 4098; ++length)
        cases.push_back({"UTF-16, tightest file", Encoding::Utf16, false, length, length});
    cases.push_back({"ANSI INF of about 4 KiB", Encoding::Ansi, true, 1500, 1500});
    cases.push_back({"UTF-16 INF of about 4 KiB", Encoding::Utf16, true, 700, 700});
    RunSizeCases(cases);
}

TEST(CataloguePlatformCallsTest, OneReadPerSectionUpToSeveralMegabytes)
{
    RunSizeCases({
        {"ANSI, tightest file", Encoding::Ansi, false, 65535, 65536},
        {"ANSI, tightest file", Encoding::Ansi, false, mib - 1, mib + 1},
        {"ANSI, tightest file, one large section", Encoding::Ansi, false, 3 * mib + 5, 40},
        {"ANSI, tightest file, one large section", Encoding::Ansi, false, 40, 3 * mib + 5},
        {"UTF-16, tightest file", Encoding::Utf16, false, mib, mib},
        {"UTF-16, tightest file, one large section", Encoding::Utf16, false, 3 * mib, 2},
        {"ANSI INF", Encoding::Ansi, true, 64 * kib, 64 * kib},
        {"ANSI INF", Encoding::Ansi, true, 1536 * kib, 1536 * kib},
        {"UTF-16 INF", Encoding::Utf16, true, mib, mib},
    });
}

TEST(CataloguePlatformCallsTest, ReadsASectionAgainOnlyWhenTheFileChangedInBetween)
{
    // The search reported the size of the file before a change; the reader
    // sees it after. Only an answer that no longer fits the buffer that the
    // old size gave is read again, with a larger buffer, and the list then
    // holds all the new keys.
    struct Case {
        const char* name;
        size_t lengthBefore;
        long change; // of the Win2k answer, in bytes
        size_t win2kReads;
    };
    const Case cases[] = {
        {"unchanged, 1 MiB", mib, 0, 1},
        {"shrunk, 1 MiB", mib, -500, 1},
        // One more byte fills the buffer but for its closing NULs, which
        // the reader reports like a cut answer.
        {"grown by one byte, 1 MiB", mib, 1, 2},
        {"grown by two bytes, 1 MiB", mib, 2, 2},
        {"grown to double and more, 1 MiB", mib, long(mib) + 10, 3},
        {"unchanged, 4093 bytes", 4093, 0, 1},
        {"grown by one byte, 4093 bytes", 4093, 1, 2},
        {"grown by one byte, 6000 bytes", 6000, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingPlatform platform;
        const Section before = KeysOfLength(c.lengthBefore, false);
        platform.fileSize = TightestFile(before, Encoding::Ansi);
        platform.win2k = KeysOfLength(size_t(long(c.lengthBefore) + c.change), false);
        platform.winXP = KeysOfLength(100, false);
        CountingList list(platform.win2k, platform.winXP);

        ASSERT_TRUE(BuildCounted(platform, list).built);
        EXPECT_EQ(platform.ReadsOf(Win2kSection), c.win2kReads);
        EXPECT_EQ(platform.ReadsOf(WinXPSection), 1u);
        // Each read again has a larger buffer than the one before.
        for (size_t i = 1; i + 1 < platform.reads.size(); ++i)
            EXPECT_GT(platform.reads[i].size, platform.reads[i - 1].size);
        ExpectOnePassOverTheKeys(platform, list);
        // The cut answers were thrown away: the list got the last one only.
        size_t lastAnswers =
            platform.reads[platform.reads.size() - 2].answered + platform.reads.back().answered;
        EXPECT_EQ(list.bytesReceived, lastAnswers + ModelTagLength * list.added);
    }
}

TEST(CataloguePlatformCallsTest, AllocationsDoNotGrowWithTheKeyCount)
{
    // Keys of one length: however many there are, the catalogue takes the
    // same count of blocks, and beyond its key-list buffers the same bytes.
    // A block per key, or a copy of the list per key, would show here.
    struct Count {
        size_t keys;
        Allocations allocations;
        size_t readBytes;
    };
    std::vector<Count> counts;
    for (size_t keys : {size_t(1), size_t(2), size_t(100), size_t(10000), size_t(100000)}) {
        SCOPED_TRACE(keys);
        CountingPlatform platform;
        for (size_t i = 0; i < keys; ++i) {
            char key[48];
            std::snprintf(key, sizeof key, "\"Zentu KTL-%07zu\"", i);
            platform.win2k.keys.push_back(key);
            platform.winXP.keys.push_back(key);
        }
        platform.fileSize = TightestFile(platform.win2k, Encoding::Ansi);
        CountingList list(platform.win2k, platform.winXP);
        const CountedRun run = BuildCounted(platform, list);
        ASSERT_TRUE(run.built);
        ExpectOnePassOverTheKeys(platform, list);
        // All of it was given back before the catalogue returned.
        EXPECT_EQ(run.allocations.releases, run.allocations.blocks);
        const size_t readBytes = platform.BufferBytes();
        counts.push_back({keys, run.allocations, readBytes});
    }
    for (const Count& count : counts) {
        SCOPED_TRACE(count.keys);
        EXPECT_EQ(count.allocations.blocks, counts.front().allocations.blocks);
        EXPECT_EQ(count.allocations.bytes - count.readBytes,
                  counts.front().allocations.bytes - counts.front().readBytes);
    }
}

TEST(CataloguePlatformCallsTest, AllocatedBytesStayWithinTheAnswersAndTheEntries)
{
    // Keys that each outgrow the one before, the worst case for the entry
    // buffer: at most one block per key, and no more bytes than the reader's
    // buffers and the entries themselves need.
    for (size_t keys : {size_t(10), size_t(1000), size_t(3000)}) {
        SCOPED_TRACE(keys);
        CountingPlatform platform;
        for (size_t i = 0; i < keys; ++i)
            platform.win2k.keys.push_back("\"Zentu KTL " + std::string(i + 1, 'x') + "\"");
        platform.winXP.keys = {"\"Zentu KTL-1\""};
        platform.fileSize = InfFile(platform.win2k, platform.winXP, Encoding::Ansi);
        CountingList list(platform.win2k, platform.winXP);
        const CountedRun run = BuildCounted(platform, list);
        ASSERT_TRUE(run.built);
        ExpectOnePassOverTheKeys(platform, list);

        const size_t readBytes = platform.BufferBytes();
        EXPECT_LE(run.allocations.blocks, platform.reads.size() + list.added);
        EXPECT_LE(run.allocations.bytes, readBytes + list.bytesReceived);
        EXPECT_EQ(run.allocations.releases, run.allocations.blocks);
    }
}
