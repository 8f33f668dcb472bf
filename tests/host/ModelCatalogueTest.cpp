#include <iconv.h>

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "ModelCatalogue.h"

using Entries = std::vector<std::string>;

class ModelCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(DriverFolder, 0, sizeof DriverFolder);
        std::memset(InfPath, 0, sizeof InfPath);
        platform.sections["Zentu"] = {"K1", "K2"};
        platform.sections["Zentu.NTx86.5.1"] = {"X1"};
    }

    std::vector<size_t> ReadSizes(const std::string& section) const
    {
        std::vector<size_t> sizes;
        for (const auto& read : platform.reads)
            if (read.section == section)
                sizes.push_back(read.size);
        return sizes;
    }

    FakePlatform platform;
    FakeModelList list;
};

TEST_F(ModelCatalogueTest, ListsBothSectionsWithKeysUnchangedBehindTheTag)
{
    // Each key one byte longer than the one before it, then shorter again;
    // a key that only starts with the default text is a model like any other.
    const std::string afterDefault = std::string(ProfileDefault) + "2";
    platform.sections["Zentu"] = {"K3", "\"Zentu KTL-1\"", "\"Zentu KTL-12\"", "Zentu  KTL 2"};
    platform.sections["Zentu.NTx86.5.1"] = {afterDefault, "\"Zentu KTL-1\"", "X 1"};

    ASSERT_TRUE(BuildModelList(list, platform));
    EXPECT_EQ(list.entries,
              (Entries{"Win2k:K3", "Win2k:\"Zentu KTL-1\"", "Win2k:\"Zentu KTL-12\"", "Win2k:Zentu  KTL 2",
                       "WinXP:" + afterDefault, "WinXP:\"Zentu KTL-1\"", "WinXP:X 1"}));
    EXPECT_EQ(list.selects, std::vector<int>{0});
    EXPECT_EQ(platform.patterns, Entries{"C:\\drv\\*.INF"});
    EXPECT_STREQ(DriverFolder, "C:\\drv\\");
    EXPECT_STREQ(InfPath, "C:\\drv\\ZENTU.INF");
    ASSERT_EQ(platform.reads.size(), 2u);
    EXPECT_EQ(platform.reads[0].section, "Zentu");
    EXPECT_EQ(platform.reads[1].section, "Zentu.NTx86.5.1");
    EXPECT_EQ(platform.reads[1].file, "C:\\drv\\ZENTU.INF");
}

TEST_F(ModelCatalogueTest, FailuresStopAtOnceAndKeepWhatWasAdded)
{
    const std::string default932 = ProfileDefault;
    struct Case {
        const char* name;
        std::function<void(FakePlatform&)> arrange;
        Entries entries;
        size_t reads;
    };
    const Case cases[] = {
        {"no INF", [](FakePlatform& p) { p.hasMatch = false; }, {}, 0},
        {"working directory fails", [](FakePlatform& p) { p.workingDirectoryFails = true; }, {}, 0},
        {"working directory of 259",
         [](FakePlatform& p) { p.workingDirectory = "C:\\" + std::string(256, 'd'); },
         {},
         0},
        {"working directory of 300",
         [](FakePlatform& p) { p.workingDirectory = "C:\\" + std::string(297, 'd'); },
         {},
         0},
        {"InfPath of 260",
         [](FakePlatform& p) {
             p.workingDirectory = "C:\\" + std::string(197, 'd');
             p.matchName = std::string(55, 'n') + ".inf";
         },
         {},
         0},
        {"Zentu absent", [](FakePlatform& p) { p.sections.erase("Zentu"); }, {}, 1},
        {"Zentu first key is the default",
         [&](FakePlatform& p) {
             p.sections["Zentu"] = {default932, "K"};
         },
         {},
         1},
        {"XP absent",
         [](FakePlatform& p) { p.sections.erase("Zentu.NTx86.5.1"); },
         {"Win2k:K1", "Win2k:K2"},
         2},
        {"XP first key is the default",
         [&](FakePlatform& p) { p.sections["Zentu.NTx86.5.1"] = {default932}; },
         {"Win2k:K1", "Win2k:K2"},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform p;
        p.sections = platform.sections;
        c.arrange(p);
        FakeModelList l;
        EXPECT_FALSE(BuildModelList(l, p));
        EXPECT_EQ(l.entries, c.entries);
        EXPECT_TRUE(l.selects.empty());
        EXPECT_EQ(p.reads.size(), c.reads);
    }
}

TEST_F(ModelCatalogueTest, PathsAtTheirLimits)
{
    struct Case {
        std::string folder;
        std::string name;
        std::string pattern;
        std::string infPath;
    };
    const std::string dir258 = "C:\\" + std::string(255, 'd');
    const std::string dir200 = "C:\\" + std::string(197, 'd');
    const std::string name58 = std::string(54, 'n') + ".inf";
    const Case cases[] = {
        {"D:\\", "x.inf", "D:\\\\*.INF", "D:\\\\x.inf"},
        // Ends in the trail byte 0x5C of "表": still gets its own backslash.
        {"C:\\\x95\x5c", "a.inf", "C:\\\x95\x5c\\*.INF", "C:\\\x95\x5c\\a.inf"},
        {dir258, "", dir258 + "\\*.INF", dir258 + "\\"},
        {dir200, name58, dir200 + "\\*.INF", dir200 + "\\" + name58},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.infPath.size());
        FakePlatform p;
        p.sections = platform.sections;
        p.workingDirectory = c.folder;
        p.matchName = c.name;
        FakeModelList l;
        EXPECT_TRUE(BuildModelList(l, p));
        EXPECT_EQ(p.patterns, Entries{c.pattern});
        EXPECT_EQ(DriverFolder, c.folder + "\\");
        EXPECT_EQ(InfPath, c.infPath);
        ASSERT_FALSE(p.reads.empty());
        EXPECT_EQ(p.reads[0].file, c.infPath);
    }
}

TEST_F(ModelCatalogueTest, ShiftHeldKeepsTheFirstKeyOfEachSection)
{
    platform.sections["Zentu.NTx86.5.1"] = {"X1", "X2"};
    platform.shiftDown = true;
    ASSERT_TRUE(BuildModelList(list, platform));
    EXPECT_EQ(list.entries, (Entries{"Win2k:K1", "WinXP:X1"}));
}

TEST_F(ModelCatalogueTest, EmptyKeyListsArePresentAndAddNothing)
{
    platform.sections["Zentu"] = {};
    ASSERT_TRUE(BuildModelList(list, platform));
    EXPECT_EQ(list.entries, Entries{"WinXP:X1"});

    FakeModelList empty;
    platform.sections["Zentu.NTx86.5.1"] = {};
    EXPECT_TRUE(BuildModelList(empty, platform));
    EXPECT_TRUE(empty.entries.empty());
}

TEST_F(ModelCatalogueTest, OneReadPerSectionWhenTheFileBoundsTheList)
{
    // Keys of several thousand characters, each followed by one character
    // in the file except the last: the tightest file that holds them.
    const Entries keys = {std::string(5000, 'a'), std::string(3000, 'b') + " c", "d"};
    uint64_t tight = 0;
    for (const auto& key : keys)
        tight += key.size() + 1;
    platform.matchSize = tight - 1;
    platform.sections["Zentu"] = keys;
    platform.sections["Zentu.NTx86.5.1"] = keys;

    ASSERT_TRUE(BuildModelList(list, platform));
    EXPECT_EQ(platform.reads.size(), 2u);
    ASSERT_EQ(list.entries.size(), 6u);
    EXPECT_EQ(list.entries[0], "Win2k:" + keys[0]);
    EXPECT_EQ(list.entries[4], "WinXP:" + keys[1]);
    EXPECT_EQ(list.entries[5], "WinXP:d");
}

TEST_F(ModelCatalogueTest, ReadsAgainWhenTheAnswerWasCut)
{
    // The file grew after the search: its size no longer bounds the list.
    platform.matchSize = 10;
    Entries grown;
    for (char c = 'a'; c <= 'e'; ++c)
        grown.push_back(std::string(2000, c));
    platform.sections["Zentu"] = grown;
    // 4094 bytes: fits a 4096 buffer exactly, which the reader may also
    // report as a cut, so it is read again too.
    platform.sections["Zentu.NTx86.5.1"] = {std::string(2046, 'x'), std::string(2046, 'y')};

    ASSERT_TRUE(BuildModelList(list, platform));
    EXPECT_EQ(ReadSizes("Zentu"), (std::vector<size_t>{4096, 8192, 16384}));
    EXPECT_EQ(ReadSizes("Zentu.NTx86.5.1"), (std::vector<size_t>{4096, 8192}));
    ASSERT_EQ(list.entries.size(), 7u);
    for (size_t i = 0; i < grown.size(); ++i)
        EXPECT_EQ(list.entries[i], "Win2k:" + grown[i]);
    EXPECT_EQ(list.entries[6], "WinXP:" + std::string(2046, 'y'));
}

TEST_F(ModelCatalogueTest, AListBeyondTheCapIsRefusedNeverWalked)
{
    const size_t cap = KeyListMaximumSize;
    platform.matchSize = 10;
    platform.sections["Zentu.NTx86.5.1"] = {std::string(cap / 2, 'x'), std::string(cap / 2, 'y')};

    EXPECT_FALSE(BuildModelList(list, platform));
    const std::vector<size_t> sizes = ReadSizes("Zentu.NTx86.5.1");
    ASSERT_EQ(sizes.size(), 14u); // 4096 doubled up to 32 MiB
    EXPECT_EQ(sizes.back(), cap);
    EXPECT_EQ(list.entries, (Entries{"Win2k:K1", "Win2k:K2"}));

    // A file larger than the cap starts at the cap, not beyond it.
    FakePlatform huge;
    huge.sections = {{"Zentu", {"K"}}, {"Zentu.NTx86.5.1", {"X"}}};
    huge.matchSize = uint64_t(1) << 33;
    FakeModelList l;
    EXPECT_TRUE(BuildModelList(l, huge));
    EXPECT_EQ(huge.reads.size(), 2u);
    EXPECT_EQ(huge.reads[0].size, cap);
}

namespace {

// The text converted from UTF-8 by the C library, as a code-page-932 system
// would hold it. (A copy: iconv takes its input as non-const.)
// cppcheck-suppress passedByValue
std::string ToCp932(std::string utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "no CP932 converter";
        return {};
    }
    std::string out(utf8.size() * 2, '\0');
    char* in = utf8.data();
    size_t inLeft = utf8.size();
    char* to = out.data();
    size_t outLeft = out.size();
    const size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    EXPECT_NE(done, static_cast<size_t>(-1));
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

TEST(CodePageTextTest, JapaneseTextsAreCodePage932)
{
    EXPECT_EQ(sizeof ProfileDefault, 11u);
    EXPECT_EQ(std::string(ProfileDefault), ToCp932("エラー発生"));
    EXPECT_EQ(std::string(CatalogueErrorText),
              ToCp932("Zentu KTLドライバが展開されたフォルダで実行してください。"));
}
