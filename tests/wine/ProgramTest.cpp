// tolvexan.exe started as a user starts it. What the system's printer set-up
// receives is read from the traces of Wine's own printui.dll.
#include <sstream>

#include "WineTest.h"

namespace {

const char kSetupCaption[] = "ZentuPrinter Voskari for Win2k/XP";
const int kModelList = 1000, kInstall = 1001;
const std::string kExe = WindowsPath("TOLVEXAN_EXE"), kExamples = WindowsPath("TOLVEXAN_EXAMPLES");

// The tool, started in `folder`, once its dialog with `caption` shows; ended
// by force if a test leaves it running.
class Program {
public:
    explicit Program(const std::string& folder, std::string arguments = "",
                     const std::string& caption = kSetupCaption)
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        arguments = "\"" + kExe + "\" " + arguments;
        CreateProcessA(kExe.c_str(), &arguments[0], 0, 0, FALSE, 0, 0, folder.c_str(), &startup, &m_process);
        m_dialog = ShownWindow(caption, 15000);
        m_list = GetDlgItem(m_dialog, kModelList);
    }
    ~Program()
    {
        if (!Exited(0))
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    bool Exited(DWORD timeoutMs = 10000) const
    {
        return WaitForSingleObject(m_process.hProcess, timeoutMs) == 0;
    }
    void Post(UINT message, WPARAM wParam = 0) const { PostMessageW(m_list, message, wParam, 0); }
    void Click() const { PostMessageA(GetDlgItem(m_dialog, kInstall), BM_CLICK, 0, 0); }

    PROCESS_INFORMATION m_process{};
    HWND m_dialog = nullptr, m_list = nullptr;
};

TEST(ProgramTest, TheShippedBuildListsTheSamplePackageSortedWithTheFirstSelected)
{
    // The file that this tree is meant to test: the shipped 32-bit program
    // where Wine runs it, else the 64-bit build.
    char header[0x200] = {};
    std::ifstream(kExe, std::ios::binary).read(header, sizeof header);
    const unsigned peAt = std::min(*reinterpret_cast<unsigned*>(header + 0x3C), 0x1F0u);
    EXPECT_EQ(*reinterpret_cast<WORD*>(header + peAt + 4),
              std::stoul(TestSetting("TOLVEXAN_EXE_MACHINE"), 0, 16));

    Program program(kExamples, "/? -x --install \"C:\\no such.inf\" lpt2:"); // arguments are ignored
    ASSERT_NE(program.m_dialog, nullptr) << "the setup dialog did not appear";
    EXPECT_EQ(ListEntries(program.m_list),
              (std::vector<std::string>{"Win2k:\"Zentu KTL-1000\"", Cp932("Win2k:\"Zentu KTL-2000 カラー\""),
                                        "Win2k:\"Zentu KTL-3000\"", "WinXP:\"Zentu KTL-1000\"",
                                        "WinXP:\"Zentu KTL-4000\"", "WinXP:\"Zentu KTL-5000 Pro\""}));
    EXPECT_EQ(SendMessageW(program.m_list, LB_GETCURSEL, 0, 0), 0);
    PostMessageA(program.m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.Exited()) << "the close box did not end the program";
}

TEST(ProgramTest, ShiftHeldAtStartListsTheFirstModelOfEachSection)
{
    INPUT shift{};
    shift.type = INPUT_KEYBOARD;
    shift.ki.wVk = VK_SHIFT;
    SendInput(1, &shift, sizeof shift);
    Program program(kExamples);
    shift.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &shift, sizeof shift);
    EXPECT_EQ(ListEntries(program.m_list),
              (std::vector<std::string>{"Win2k:\"Zentu KTL-3000\"", "WinXP:\"Zentu KTL-5000 Pro\""}));
    program.Post(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_TRUE(program.Exited()) << "Escape did not end the program";
}

TEST(ProgramTest, WithoutADriverShowsOnlyTheErrorAndEndsAfterOk)
{
    TempFolder empty;
    Program program(empty.Path(), "", Cp932("エラー発生"));
    HWND box = program.m_dialog;
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
              Cp932("Zentu KTLドライバが展開されたフォルダで実行してください。"));
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "only an OK button";
    EXPECT_EQ(ShownWindow(kSetupCaption, 0), nullptr) << "the setup dialog must not show";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program.Exited()) << "the program did not end after OK";
}

// The parameters of each start of the printer set-up since this object was
// made, as Wine traces them.
class PrinterSetupTraces {
public:
    std::vector<std::string> WaitFor(size_t count, DWORD timeoutMs = 20000) const
    {
        ::WaitFor([&] { return Launches().size() >= count; }, timeoutMs);
        Sleep(1500); // for any surplus start
        return Launches();
    }

private:
    static std::string Read()
    {
        std::ifstream log(WindowsPath("TOLVEXAN_WINE_LOG"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), {});
    }
    std::vector<std::string> Launches() const
    {
        std::vector<std::string> launches;
        std::istringstream lines(Read().substr(m_start));
        for (std::string line; std::getline(lines, line);)
            if (line.find(":trace:printui:PrintUIEntryW (") != std::string::npos)
                launches.push_back(line.substr(line.find("L\"") + 2, line.rfind('"') - line.find("L\"") - 2));
        return launches;
    }
    const size_t m_start = Read().size();
};

// Text as Wine's traces show it: quotation marks and backslashes escaped.
std::string Traced(const std::string& text)
{
    std::string escaped;
    for (char c : text)
        escaped += (c == '"' || c == '\\' ? "\\" : "") + std::string(1, c);
    return escaped;
}

TEST(InstallTest, EachClickInstallsTheSelectedModelOnLpt1AndNothingElseStartsIt)
{
    PrinterSetupTraces traces;
    Program program(kExamples);
    ASSERT_NE(program.m_dialog, nullptr);
    const std::string expected =
        Traced("/if /m \"Zentu KTL-1000\" /f \"" + kExamples + "\\ZNTKTL.INF\" /r \"lpt1:\"");
    program.Click();
    EXPECT_EQ(traces.WaitFor(1), std::vector<std::string>{expected});
    EXPECT_TRUE(IsWindowVisible(program.m_dialog)) << "the dialog stays open";
    EXPECT_EQ(SendMessageW(program.m_list, LB_GETCURSEL, 0, 0), 0) << "and keeps its selection";

    program.Post(LB_SETCURSEL, 3); // "WinXP:" and the same model
    program.Click();
    EXPECT_EQ(traces.WaitFor(2), std::vector<std::string>(2, expected));

    // Posted, so that they reach the tool in this order.
    program.Post(LB_SETCURSEL, WPARAM(-1));
    program.Click();
    PostMessageW(program.m_list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    program.Post(LB_SETCURSEL, 0);
    program.Post(WM_KEYDOWN, VK_RETURN);
    EXPECT_TRUE(program.Exited()) << "Enter in the list closes the tool";
    EXPECT_EQ(traces.WaitFor(3, 3000).size(), 2u)
        << "no selection, a double-click or Enter started an installation";
}

TEST(InstallTest, AnUnquotedModelWithBlanksOfALargeUtf16InfReachesThePrinterSetUpWhole)
{
    std::string inf = "[Zentu]\n";
    for (int i = 100; i < 400; ++i) // far more than 4096 bytes of keys
        inf += "Zentu KTL-" + std::to_string(i) + " Colour Laser Printer with Duplex Unit = Z\n";
    TempFolder folder;
    folder.Write("x.inf", inf + "[Zentu.NTx86.5.1]\nZentu KTL 7 = Z\n", true);
    PrinterSetupTraces traces;
    Program program(folder.Path());
    ASSERT_EQ(ListEntries(program.m_list).size(), 301u);
    program.Post(LB_SETCURSEL, 300);
    program.Click();
    const auto launches = traces.WaitFor(1);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_NE(launches[0].find(Traced("/m \"Zentu KTL 7\" /f ")), std::string::npos) << launches[0];
}

TEST(InstallTest, DoesNotRunARundll32LyingInTheDriverFolder)
{
    TempFolder folder;
    CopyFileA((kExamples + "\\ZNTKTL.INF").c_str(), folder.PathOf("ZNTKTL.INF").c_str(), FALSE);
    CopyFileA(WindowsPath("TOLVEXAN_PLANTED").c_str(), folder.PathOf("rundll32.exe").c_str(), FALSE);
    PrinterSetupTraces traces;
    Program program(folder.Path());
    program.Click();
    EXPECT_EQ(traces.WaitFor(1).size(), 1u) << "the system's printer set-up did not start";
    EXPECT_EQ(GetFileAttributesA(folder.PathOf("planted-rundll32-ran").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the driver folder's rundll32.exe ran";
}

} // namespace
