// The install button's command, composed from the selected entry.
#include "FakePlatform.h"
#include "InstallLauncher.h"

namespace {

const char Inf[] = "C:\\drv\\ZENTU.INF";

std::string Command(const std::string& model, const std::string& infPath = Inf)
{
    return "printui.dll,PrintUIEntry /if /m " + model + " /f \"" + infPath + "\" /r \"lpt1:\"";
}

// The commands that clicks on `entry`, selected as `selected`, start.
std::vector<std::string> Clicks(const std::vector<std::string>& entries, int selected, int clicks = 1,
                                const char* infPath = Inf, bool readFails = false)
{
    FakePlatform platform;
    FakeModelList list;
    list.entries = entries;
    list.selected = selected;
    list.readFails = readFails;
    for (int i = 0; i < clicks; ++i) {
        const size_t before = platform.started.size();
        const bool started = InstallSelectedModel(list, platform, infPath);
        EXPECT_EQ(started, platform.started.size() == before + 1) << "what it returns tells what it did";
    }
    EXPECT_EQ(list.selected, selected) << "a click keeps the selection";
    return platform.started;
}

TEST(InstallTest, StartsOneCommandPerClickForTheSelectedModel)
{
    // "C:\ドライバ 表\z.inf" in code page 932; "表" ends in 0x5C.
    const char japanese[] = "C:\\\x83\x68\x83\x89\x83\x43\x83\x6f \x95\x5c\\z.inf";
    const std::string long250(250, 'm'), long6000(6000, 'm');
    struct Case {
        std::string entry;
        const char* infPath;
        std::string command;
    } const cases[] = {
        {"Win2k:KTL-100", Inf, Command("KTL-100")},
        {"WinXP:KTL-100", Inf, Command("KTL-100")},
        {"WinXP:\"Zentu KTL 100\"", Inf, Command("\"Zentu KTL 100\"")},
        {"Win2k:Zentu KTL 100", Inf, Command("\"Zentu KTL 100\"")},
        {"Win2k:Zentu\tKTL", Inf, Command("\"Zentu\tKTL\"")},
        {"Win2k:KTL-100", "C:\\My Drivers\\z.inf", Command("KTL-100", "C:\\My Drivers\\z.inf")},
        {"Win2k:KTL-100", japanese, Command("KTL-100", japanese)},
        {"Win2k:" + long250, Inf, Command(long250)}, // 256 characters
        {"Win2k:" + long6000, Inf, Command(long6000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry.substr(0, 40));
        EXPECT_EQ(Clicks({"Win2k:other", c.entry}, 1, 2, c.infPath), std::vector<std::string>(2, c.command));
    }
}

TEST(InstallTest, StartsNothingWithoutAUsableSelection)
{
    struct Case {
        const char* name;
        int selected;
        bool readFails;
    } const cases[] = {{"no selection", -1, false}, {"bad index", 3, false},
                       {"shorter than a tag", 1, false}, {"read error", 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Clicks({"Win2k:A", "Win2k"}, c.selected, 1, Inf, c.readFails).empty());
    }
    EXPECT_EQ(Clicks({"Win2k:"}, 0), std::vector<std::string>{Command("")}) << "an empty model is still one";
}

} // namespace
