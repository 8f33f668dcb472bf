// The install button, end to end: what the system's printer set-up receives,
// read from the traces of Wine's own printui.dll.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Program.h"

namespace {

// Text as Wine's traces show a wide string: between L"...", with quotation
// marks and backslashes escaped and characters outside ASCII as \xxxx.
std::string AsWineTraces(const std::string& cp932)
{
    std::wstring wide(cp932.size(), L'\0');
    wide.resize(MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    std::string text;
    for (wchar_t c : wide) {
        if (c == L'"' || c == L'\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c < L' ' || c >= 127) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\%04x", static_cast<unsigned>(c));
            text += escaped;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// One start of the printer set-up: the parameter text PrintUIEntry received
// and the options it parsed from it, as Wine's traces show them.
struct Launch {
    std::string parameters;
    std::string model, inf, port;
};

// Wine's traces of the printer set-up, from the moment this object is made.
class PrinterSetupTraces {
public:
    PrinterSetupTraces() : m_log(TestSetting("TOLVEXAN_WINE_LOG")) { m_start = Read().size(); }

    std::vector<Launch> Launches() const
    {
        std::vector<Launch> launches;
        std::istringstream lines(Read().substr(m_start));
        for (std::string line; std::getline(lines, line);) {
            if (line.find(":trace:printui:PrintUIEntryW (") != std::string::npos) {
                launches.push_back({QuotedAfter(line, line.find("L\"")), "", "", ""});
            } else if (!launches.empty() &&
                       line.find(":trace:printui:parse_rundll  opt: L\"") != std::string::npos) {
                const size_t option = line.find("opt: L\"") + 7;
                const std::string value = QuotedAfter(line, line.find("L\"", option + 2));
                switch (line[option]) {
                case 'm':
                    launches.back().model = value;
                    break;
                case 'f':
                    launches.back().inf = value;
                    break;
                case 'r':
                    launches.back().port = value;
                    break;
                }
            }
        }
        return launches;
    }

    // Waits for `count` launches, then a little longer for any surplus.
    std::vector<Launch> WaitForLaunches(size_t count) const
    {
        WaitFor([&] { return Launches().size() >= count; }, 20000);
        Sleep(1500);
        return Launches();
    }

private:
    std::string Read() const
    {
        std::ifstream file(WindowsPathOf(m_log), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // The text between L" at `at` and the line's last quotation mark.
    static std::string QuotedAfter(const std::string& line, size_t at)
    {
        if (at == std::string::npos)
            return "";
        const size_t end = line.rfind('"');
        return end > at + 2 ? line.substr(at + 2, end - at - 2) : "";
    }

    std::string m_log;
    size_t m_start = 0;
};

void Click(HWND dialog) { PostMessageA(GetDlgItem(dialog, kInstallButtonId), BM_CLICK, 0, 0); }

class InstallTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(TestSetting("TOLVEXAN_WINE_LOG").empty()) << "TOLVEXAN_WINE_LOG is not set";
    }

    // Starts the tool in `folder` and waits for its dialog.
    HWND Start(const std::string& folder)
    {
        m_program.reset(new Program(folder));
        m_dialog = m_program->SetupDialog();
        m_list = GetDlgItem(m_dialog, kModelListId);
        return m_dialog;
    }

    std::string SampleInf() const { return ExamplesFolder() + "\\ZNTKTL.INF"; }

    std::unique_ptr<Program> m_program;
    HWND m_dialog = nullptr;
    HWND m_list = nullptr;
};

TEST_F(InstallTest, StartsThePrinterSetUpForTheSelectedModelOnTheFirstParallelPort)
{
    PrinterSetupTraces traces;
    ASSERT_NE(Start(ExamplesFolder()), nullptr) << "the setup dialog did not appear";
    ASSERT_EQ(ListEntries(m_list).at(0), "Win2k:\"Zentu KTL-1000\"");

    Click(m_dialog);

    const auto launches = traces.WaitForLaunches(1);
    ASSERT_EQ(launches.size(), 1u) << "one click, one start of the printer set-up";
    EXPECT_EQ(launches[0].parameters,
              AsWineTraces("/if /m \"Zentu KTL-1000\" /f \"" + SampleInf() + "\" /r \"lpt1:\""));
    EXPECT_EQ(launches[0].model, "Zentu KTL-1000");
    EXPECT_EQ(launches[0].inf, AsWineTraces(SampleInf()));
    EXPECT_EQ(launches[0].port, "lpt1:");

    EXPECT_TRUE(IsWindowVisible(m_dialog)) << "the dialog stays open";
    EXPECT_EQ(ListSelection(m_list), 0) << "the selection stays";
}

TEST_F(InstallTest, EachClickStartsOneMoreInstallationAndBothTagsGiveTheSameCommand)
{
    PrinterSetupTraces traces;
    ASSERT_NE(Start(ExamplesFolder()), nullptr);
    const auto entries = ListEntries(m_list);
    ASSERT_EQ(entries.at(3), "WinXP:\"Zentu KTL-1000\"");

    Click(m_dialog);
    traces.WaitForLaunches(1);
    SendMessageW(m_list, LB_SETCURSEL, 3, 0);
    Click(m_dialog);

    const auto launches = traces.WaitForLaunches(2);
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].parameters, launches[1].parameters)
        << "\"Win2k:\" and \"WinXP:\" entries of one model install the same way";
}

struct NoInstallCase {
    const char* name;
    void (*act)(HWND dialog, HWND list);
};

void ClickWithNothingSelected(HWND dialog, HWND list)
{
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Click(dialog);
    Sleep(1000);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
}

void DoubleClickInTheList(HWND, HWND list)
{
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
}

void PrintTo(const NoInstallCase& c, std::ostream* os) { *os << c.name; }

class NoInstallTest : public InstallTest, public testing::WithParamInterface<NoInstallCase> {};

// The act must start nothing: after it, one click starts exactly one
// installation.
TEST_P(NoInstallTest, StartsNothing)
{
    PrinterSetupTraces traces;
    ASSERT_NE(Start(ExamplesFolder()), nullptr);

    GetParam().act(m_dialog, m_list);
    Sleep(1000);
    Click(m_dialog);

    EXPECT_EQ(traces.WaitForLaunches(1).size(), 1u) << GetParam().name << " started an installation";
}

const NoInstallCase kNoInstallCases[] = {
    {"ClickWithNothingSelected", ClickWithNothingSelected},
    {"DoubleClickInTheList", DoubleClickInTheList},
};

std::string NoInstallCaseName(const testing::TestParamInfo<NoInstallCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Acts, NoInstallTest, testing::ValuesIn(kNoInstallCases), NoInstallCaseName);

TEST_F(InstallTest, EnterInTheListClosesTheToolWithoutInstalling)
{
    PrinterSetupTraces traces;
    ASSERT_NE(Start(ExamplesFolder()), nullptr);

    PostMessageA(m_list, WM_KEYDOWN, VK_RETURN, 0);

    EXPECT_TRUE(m_program->WaitForExit()) << "Enter did not close the tool";
    EXPECT_TRUE(traces.WaitForLaunches(0).empty()) << "Enter started an installation";
}

TEST_F(InstallTest, QuotesAModelWithBlanksThatTheInfLeftUnquoted)
{
    TempFolder folder;
    // (An empty section reads as an absent one: both sections list the model.)
    folder.WriteFile(
        "x.inf",
        "[Zentu]\r\nZentu KTL 7000 = ZKTL7000\r\n[Zentu.NTx86.5.1]\r\nZentu KTL 7000 = ZKTL7000\r\n");
    PrinterSetupTraces traces;
    ASSERT_NE(Start(folder.Path()), nullptr);

    Click(m_dialog);

    const auto launches = traces.WaitForLaunches(1);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].model, "Zentu KTL 7000") << "the printer set-up must get the whole model name";
    EXPECT_NE(launches[0].parameters.find(AsWineTraces("/m \"Zentu KTL 7000\" /f ")), std::string::npos)
        << launches[0].parameters;
}

TEST_F(InstallTest, DoesNotRunARundll32LyingInTheDriverFolder)
{
    TempFolder folder;
    ASSERT_TRUE(CopyFileA(SampleInf().c_str(), folder.PathOf("ZNTKTL.INF").c_str(), FALSE));
    const std::string planted = WindowsPathOf(TestSetting("TOLVEXAN_PLANTED"));
    ASSERT_TRUE(CopyFileA(planted.c_str(), folder.PathOf("rundll32.exe").c_str(), FALSE)) << planted;
    PrinterSetupTraces traces;
    ASSERT_NE(Start(folder.Path()), nullptr);

    Click(m_dialog);

    EXPECT_EQ(traces.WaitForLaunches(1).size(), 1u)
        << "the system's rundll32 did not start the printer set-up";
    EXPECT_EQ(GetFileAttributesA(folder.PathOf("planted-rundll32-ran").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the rundll32.exe of the driver folder was run";
}

} // namespace
