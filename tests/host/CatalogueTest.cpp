// The model list, filled from a fake platform that answers like Windows.
#include <cstdlib>

#include "FakePlatform.h"

extern "C" void* __real_malloc(size_t size);
extern "C" void __real_free(void* block);

namespace {
int g_liveBlocks = 0, g_blocks = 0; // of the setup code, while counting
bool g_counting = false;
} // namespace

// The test program is linked with --wrap=malloc,free: the setup code's
// calls come here first, the C++ library's do not.
extern "C" void* __wrap_malloc(size_t size)
{
    g_blocks += g_counting;
    g_liveBlocks += g_counting;
    return __real_malloc(size);
}
extern "C" void __wrap_free(void* block)
{
    g_liveBlocks -= g_counting && block;
    __real_free(block);
}

namespace {

using Entries = std::vector<std::string>;

bool Build(FakePlatform& platform, FakeModelList& list)
{
    DriverFolder[0] = InfPath[0] = '\0';
    return BuildModelList(list, platform);
}

std::vector<size_t> ReadSizes(const FakePlatform& platform, const std::string& section)
{
    std::vector<size_t> sizes;
    for (const auto& read : platform.reads)
        if (read.section == section)
            sizes.push_back(read.size);
    return sizes;
}

TEST(CatalogueTest, ListsBothSectionsWithOneCallOfEachKindPerKey)
{
    FakePlatform platform;
    // Keys as the reader returns them: quoted, with blanks, starting with the
    // default text, several thousand bytes long.
    const std::string longKey(5000, 'a');
    platform.sections["Zentu"] = {"K3", "\"Zentu KTL-1\"", "Zentu  KTL 2", longKey};
    platform.sections["Zentu.NTx86.5.1"] = {std::string(ProfileDefault) + "2", "X 1"};
    platform.matchSize = 5030; // the tightest file that holds these keys
    FakeModelList list;

    ASSERT_TRUE(Build(platform, list));
    EXPECT_EQ(list.entries, (Entries{"Win2k:K3", "Win2k:\"Zentu KTL-1\"", "Win2k:Zentu  KTL 2", "Win2k:" + longKey,
                                     "WinXP:" + std::string(ProfileDefault) + "2", "WinXP:X 1"}));
    EXPECT_EQ(list.selects, std::vector<int>{0});
    EXPECT_STREQ(DriverFolder, "C:\\drv\\");
    EXPECT_STREQ(InfPath, "C:\\drv\\ZENTU.INF");
    EXPECT_EQ(platform.patterns, Entries{"C:\\drv\\*.INF"});
    EXPECT_EQ(platform.directoryQueries, 1);
    ASSERT_EQ(platform.reads.size(), 2u) << "one read per section when the file's size bounds the list";
    EXPECT_EQ(platform.reads[0].section + "," + platform.reads[1].section, "Zentu,Zentu.NTx86.5.1");
    EXPECT_EQ(platform.reads[1].file, InfPath);
    EXPECT_EQ(platform.shiftPolls, 6) << "one Shift poll per key added";
}

TEST(CatalogueTest, FailuresStopAtOnceAndKeepWhatWasAdded)
{
    struct Case {
        const char* name;
        void (*arrange)(FakePlatform&);
        Entries entries;
        size_t reads;
    } const cases[] = {
        {"no INF", [](FakePlatform& p) { p.hasMatch = false; }, {}, 0},
        {"working directory fails", [](FakePlatform& p) { p.workingDirectoryFails = true; }, {}, 0},
        {"working directory of 259", [](FakePlatform& p) { p.workingDirectory = "C:\\" + std::string(256, 'd'); },
         {}, 0},
        {"working directory of 300", [](FakePlatform& p) { p.workingDirectory = "C:\\" + std::string(297, 'd'); },
         {}, 0},
        {"InfPath of 260",
         [](FakePlatform& p) {
             p.workingDirectory = "C:\\" + std::string(197, 'd');
             p.matchName = std::string(55, 'n') + ".inf";
         },
         {}, 0},
        {"Win2k absent", [](FakePlatform& p) { p.sections.erase("Zentu"); }, {}, 1},
        {"Win2k's first key is the default text",
         [](FakePlatform& p) { p.sections["Zentu"] = {ProfileDefault, "K"}; }, {}, 1},
        {"WinXP absent", [](FakePlatform& p) { p.sections.erase("Zentu.NTx86.5.1"); }, {"Win2k:K1", "Win2k:K2"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        c.arrange(platform);
        FakeModelList list;
        EXPECT_FALSE(Build(platform, list));
        EXPECT_EQ(list.entries, c.entries);
        EXPECT_TRUE(list.selects.empty());
        EXPECT_EQ(platform.reads.size(), c.reads);
        if (c.reads == 0) {
            EXPECT_STREQ(InfPath, "") << "InfPath must not be written, cut or whole";
        }
    }
}

TEST(CatalogueTest, PathsAtTheirLimitsGetOneBackslash)
{
    const std::string dir258 = "C:\\" + std::string(255, 'd');
    const std::string dir200 = "C:\\" + std::string(197, 'd'), name58 = std::string(54, 'n') + ".inf";
    struct Case {
        std::string folder, name, infPath;
    } const cases[] = {
        {"D:\\", "x.inf", "D:\\\\x.inf"},
        // Ends in the trail byte 0x5C of "表" (code page 932).
        {"C:\\\x95\x5c", "a.inf", "C:\\\x95\x5c\\a.inf"},
        {dir258, "", dir258 + "\\"},
        {dir200, name58, dir200 + "\\" + name58}, // 259 characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.infPath);
        FakePlatform platform;
        platform.workingDirectory = c.folder;
        platform.matchName = c.name;
        FakeModelList list;
        EXPECT_TRUE(Build(platform, list));
        EXPECT_EQ(platform.patterns, Entries{c.folder + "\\*.INF"});
        EXPECT_EQ(DriverFolder, c.folder + "\\");
        EXPECT_EQ(InfPath, c.infPath);
        EXPECT_EQ(platform.reads.at(0).file, c.infPath);
    }
}

TEST(CatalogueTest, ShiftHeldKeepsTheFirstKeyOfEachSection)
{
    FakePlatform platform;
    platform.sections["Zentu.NTx86.5.1"] = {"X1", "X2"};
    platform.shiftDown = true;
    FakeModelList list;
    ASSERT_TRUE(Build(platform, list));
    EXPECT_EQ(list.entries, (Entries{"Win2k:K1", "WinXP:X1"}));
}

TEST(CatalogueTest, ACutAnswerIsReadAgainNeverWalked)
{
    FakePlatform platform;
    platform.matchSize = 10; // the file grew after the search
    Entries grown;
    for (char c = 'a'; c <= 'e'; ++c)
        grown.push_back(std::string(2000, c));
    platform.sections["Zentu"] = grown;
    // 4094 bytes fit a 4096 buffer exactly, which the reader reports like a cut.
    platform.sections["Zentu.NTx86.5.1"] = {std::string(2046, 'x'), std::string(2046, 'y')};
    FakeModelList list;

    ASSERT_TRUE(Build(platform, list));
    EXPECT_EQ(ReadSizes(platform, "Zentu"), (std::vector<size_t>{4096, 8192, 16384}));
    EXPECT_EQ(ReadSizes(platform, "Zentu.NTx86.5.1"), (std::vector<size_t>{4096, 8192}));
    ASSERT_EQ(list.entries.size(), 7u);
    EXPECT_EQ(list.entries[4], "Win2k:" + grown[4]);
    EXPECT_EQ(list.entries[6], "WinXP:" + std::string(2046, 'y'));
}

TEST(CatalogueTest, AListBeyondTheCapIsRefused)
{
    FakePlatform platform;
    platform.matchSize = 10;
    platform.sections["Zentu.NTx86.5.1"] = {std::string(KeyListMaximumSize / 2, 'x'),
                                            std::string(KeyListMaximumSize / 2, 'y')};
    FakeModelList list;
    EXPECT_FALSE(Build(platform, list));
    const auto sizes = ReadSizes(platform, "Zentu.NTx86.5.1");
    EXPECT_EQ(sizes.size(), 14u) << "4096 doubled up to the cap";
    EXPECT_EQ(sizes.back(), KeyListMaximumSize);
    EXPECT_EQ(list.entries.size(), 2u) << "the Win2k entries stay, nothing of WinXP is added";

    FakePlatform huge; // a file larger than the cap is read at the cap
    huge.matchSize = uint64_t{1} << 33;
    EXPECT_TRUE(Build(huge, list));
    EXPECT_EQ(huge.reads.at(0).size, KeyListMaximumSize);
}

TEST(CatalogueTest, MemoryDoesNotGrowWithTheCountOfKeys)
{
    int blocks[2] = {};
    const int counts[2] = {10, 2000};
    for (int i = 0; i < 2; ++i) {
        FakePlatform platform;
        for (int k = 0; k < counts[i]; ++k)
            platform.sections["Zentu"].push_back("Zentu KTL-" + std::to_string(10000 + k));
        platform.matchSize = 20 * counts[i];
        FakeModelList list;
        g_counting = true;
        g_blocks = g_liveBlocks = 0;
        EXPECT_TRUE(Build(platform, list));
        g_counting = false;
        blocks[i] = g_blocks;
        EXPECT_EQ(g_liveBlocks, 0) << "blocks left allocated";
        EXPECT_EQ(platform.reads.size(), 2u);
        EXPECT_EQ(platform.shiftPolls, counts[i] + 3);
    }
    EXPECT_EQ(blocks[0], blocks[1]) << "allocations for " << counts[0] << " and " << counts[1] << " keys";
}

} // namespace
