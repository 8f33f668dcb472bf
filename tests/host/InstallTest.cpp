// The install button: the command started for the selected entry.
#include "FakePlatform.h"
#include "InstallLauncher.h"

namespace {

const char Inf[] = "C:\\drv\\ZENTU.INF";

std::string Command(const std::string& model, const std::string& infPath = Inf)
{
    return "printui.dll,PrintUIEntry /if /m " + model + " /f \"" + infPath + "\" /r \"lpt1:\"";
}

// What a click starts with entry `selected` of `entries` selected.
Texts Click(const Texts& entries, int selected, const char* infPath = Inf)
{
    FakePlatform platform;
    FakeModelList list;
    list.entries = entries;
    list.selected = selected;
    InstallSelectedModel(list, platform, infPath);
    return platform.started;
}

TEST(InstallTest, AClickStartsTheCommandForTheSelectedModelOrNothingWithoutOne)
{
    const std::string long6000(6000, 'm');
    struct Case {
        std::string entry;
        const char* infPath;
        std::string command;
    } const cases[] = {
        {"Win2k:KTL-100", Inf, Command("KTL-100")},
        {"WinXP:KTL-100", Inf, Command("KTL-100")},
        {"WinXP:\"Zentu KTL 100\"", Inf, Command("\"Zentu KTL 100\"")},
        {"Win2k:Zentu KTL 100", Inf, Command("\"Zentu KTL 100\"")}, // else only "Zentu" counts
        {"Win2k:Zentu\tKTL", Inf, Command("\"Zentu\tKTL\"")},
        {"Win2k:\"KTL-2000 \x83J\x83\x89\x81[\"", Inf,
         Command("\"KTL-2000 \x83J\x83\x89\x81[\"")}, // "カラー"
        {"Win2k:", Inf, Command("")},
        {"Win2k:KTL-100", "C:\\My Drivers\\z.inf", Command("KTL-100", "C:\\My Drivers\\z.inf")},
        {"Win2k:" + long6000, Inf, Command(long6000)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Click({"Win2k:other", c.entry}, 1, c.infPath), Texts{c.command}) << c.entry.substr(0, 40);
    EXPECT_EQ(Click({"Win2k:A"}, -1), Texts{}) << "no selection";
    EXPECT_EQ(Click({"Win2k:A"}, 1), Texts{}) << "a bad index";
    EXPECT_EQ(Click({"Win2k"}, 0), Texts{}) << "an entry shorter than a tag";
}

} // namespace
