#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "InstallLauncher.h"
#include "ModelEntry.h"

namespace {

const char Inf[] = "C:\\drv\\ZENTU.INF";

std::string Command(const std::string& model, const std::string& infPath = Inf)
{
    return "printui.dll,PrintUIEntry /if /m " + model + " /f \"" + infPath + "\" /r \"lpt1:\"";
}

std::string Compose(const char* model, const char* infPath)
{
    HeapBuffer command;
    EXPECT_TRUE(ComposeInstallCommand(model, infPath, command));
    return command.Data() ? command.Data() : "";
}

} // namespace

TEST(InstallLauncherTest, ComposesTheCommandQuotingModelsWithBlanks)
{
    // "C:\ドライバ 表\z.inf" in code page 932; "表" ends in 0x5C.
    const char japanese[] = "C:\\\x83\x68\x83\x89\x83\x43\x83\x6f \x95\x5c\\z.inf";
    struct Case {
        const char* model;
        const char* infPath;
        std::string expected;
    };
    const Case cases[] = {
        {"KTL-100", Inf, Command("KTL-100")},
        {"\"Zentu KTL 100\"", Inf, Command("\"Zentu KTL 100\"")},
        {"Zentu KTL 100", Inf, Command("\"Zentu KTL 100\"")},
        {"Zentu\tKTL", Inf, Command("\"Zentu\tKTL\"")},
        {"KTL-100", "C:\\My Drivers\\z.inf", Command("KTL-100", "C:\\My Drivers\\z.inf")},
        {"KTL-100", japanese, Command("KTL-100", japanese)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        EXPECT_EQ(Compose(c.model, c.infPath), c.expected);
    }
}

TEST(InstallLauncherTest, BothTagsOfOneKeyStartTheSameCommand)
{
    FakePlatform platform;
    FakeModelList list;
    list.entries = {"Win2k:Zentu KTL-5", "WinXP:Zentu KTL-5"};
    for (int index : {0, 1}) {
        list.selected = index;
        EXPECT_TRUE(InstallSelectedModel(list, platform, Inf));
    }
    EXPECT_EQ(platform.started, (std::vector<std::string>(2, Command("\"Zentu KTL-5\""))));
}

TEST(InstallLauncherTest, EntriesAreReadWhole)
{
    for (size_t length : {255u, 256u, 6000u}) {
        SCOPED_TRACE(length);
        const std::string model(length - 6, 'm');
        FakePlatform platform;
        FakeModelList list;
        list.entries = {"WinXP:" + model};
        list.selected = 0;
        EXPECT_TRUE(InstallSelectedModel(list, platform, Inf));
        EXPECT_EQ(platform.started, std::vector<std::string>{Command(model)});
    }
}

TEST(InstallLauncherTest, StartsNothingWithoutAUsableSelection)
{
    struct Case {
        const char* name;
        int selected;
        bool readFails;
    };
    const Case cases[] = {{"no selection", -1, false},
                          {"bad index", 3, false},
                          {"shorter than a tag", 1, false},
                          {"read error", 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        FakeModelList list;
        list.entries = {"Win2k:A", "Win2k"};
        list.selected = c.selected;
        list.readFails = c.readFails;
        EXPECT_FALSE(InstallSelectedModel(list, platform, Inf));
        EXPECT_TRUE(platform.started.empty());
    }
}

TEST(InstallLauncherTest, EachClickStartsOneInstaller)
{
    FakePlatform platform;
    FakeModelList list;
    list.entries = {"Win2k:KTL-1"};
    list.selected = 0;
    InstallSelectedModel(list, platform, Inf);
    InstallSelectedModel(list, platform, Inf);
    EXPECT_EQ(platform.started, (std::vector<std::string>(2, Command("KTL-1"))));
    EXPECT_EQ(list.selected, 0);
}

TEST(InstallLauncherTest, TheModelIsTheEntryFromItsSeventhCharacter)
{
    EXPECT_STREQ(ModelOfEntry("WinXP:Zentu KTL"), "Zentu KTL");
    EXPECT_STREQ(ModelOfEntry("abcdef\"x\""), "\"x\"");
    EXPECT_STREQ(ModelOfEntry("Win2k:"), "");
    EXPECT_EQ(ModelOfEntry("Win2k"), nullptr);
    EXPECT_EQ(ModelOfEntry(""), nullptr);
}
