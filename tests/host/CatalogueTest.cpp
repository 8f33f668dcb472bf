// The model list, filled from a fake platform that answers like Windows. What
// the setup code leaves allocated the leak checker of the sanitizer build reports.
#include "FakePlatform.h"

namespace {

// Fills a fresh list: its entries, "!" first when BuildModelList failed.
Texts Build(FakePlatform& platform)
{
    DriverFolder[0] = InfPath[0] = '\0';
    FakeModelList list;
    const bool result = BuildModelList(list, platform);
    EXPECT_EQ(list.selected, result ? 0 : -1) << "the first entry is selected on success only";
    if (!result)
        list.entries.insert(list.entries.begin(), "!");
    return list.entries;
}

TEST(CatalogueTest, ListsBothSectionsWithOneReadEach)
{
    FakePlatform platform;
    platform.sections = {{"Zentu", {"K3", "\"Zentu KTL-1\"", "Zentu  KTL 2", std::string(5000, 'a')}},
                         {"Zentu.NTx86.5.1", {std::string(ProfileDefault) + "2", "X 1"}}};
    platform.matchSize = 5030; // the tightest file that holds these keys
    EXPECT_EQ(Build(platform), (Texts{"Win2k:K3", "Win2k:\"Zentu KTL-1\"", "Win2k:Zentu  KTL 2",
                                      "Win2k:" + std::string(5000, 'a'),
                                      "WinXP:" + std::string(ProfileDefault) + "2", "WinXP:X 1"}));
    EXPECT_EQ(platform.reads.size(), 2u) << "one read per section: the first buffer holds the whole list";
    EXPECT_EQ(platform.patterns, Texts{"C:\\drv\\*.INF"});

    platform.sections = {{"Zentu", {}}, {"Zentu.NTx86.5.1", {}}}; // both answered empty, not absent
    EXPECT_EQ(Build(platform), Texts{});
}

TEST(CatalogueTest, PathsAtTheirLimitsDecideTheOutcome)
{
    const std::string dir258 = "C:\\" + std::string(255, 'd'), dir200 = "C:\\" + std::string(197, 'd');
    const std::string name58 = std::string(54, 'n') + ".inf";
    const Texts all = {"Win2k:K1", "Win2k:K2", "WinXP:X1"};
    struct Case {
        std::string folder, name, infPath; // InfPath "" when it must not be written
    } const cases[] = {
        {"D:\\", "x.inf", "D:\\\\x.inf"},
        // Ends in the trail byte 0x5C of "表" (code page 932): a backslash is appended all the same.
        {"C:\\\x95\x5c", "a.inf", "C:\\\x95\x5c\\a.inf"},
        {dir200, name58, dir200 + "\\" + name58}, // 259 characters
        {dir200, "n" + name58, ""},
        {dir258, "", ""}, // no match
        {dir258 + "d", "a.inf", ""},
        {"", "a.inf", ""}, // the working directory is unknown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.substr(0, 12) + "(" + std::to_string(c.folder.size()) + ")" + c.name);
        FakePlatform platform;
        platform.workingDirectory = c.folder;
        platform.matchName = c.name;
        EXPECT_EQ(Build(platform), c.infPath.empty() ? Texts{"!"} : all);
        EXPECT_EQ(InfPath, c.infPath);
    }
}

TEST(CatalogueTest, AListIsNeverReadBeyondTheCapAndRefusedWhenLarger)
{
    FakePlatform platform;
    platform.matchSize = uint64_t{1} << 33; // a file larger than the cap is read at the cap
    EXPECT_EQ(Build(platform).size(), 3u);

    platform.reads.clear();
    platform.matchSize = 5030;
    platform.sections["Zentu"] = {std::string(KeyListMaximumSize / 2, 'x'),
                                  std::string(KeyListMaximumSize / 2, 'y')};
    EXPECT_EQ(Build(platform), Texts{"!"});
    EXPECT_EQ(platform.reads.back(), "Zentu:" + std::to_string(KeyListMaximumSize))
        << "refused before the cap";
}

} // namespace
