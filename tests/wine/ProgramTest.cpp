// tolvexan.exe started as a user starts it. What the system's printer set-up
// receives is read from the traces of Wine's own printui.dll.
#include <sstream>

#include "WineTest.h"

namespace {

const std::string kExe = WindowsPath("TOLVEXAN_EXE"), kExamples = WindowsPath("TOLVEXAN_EXAMPLES");

// The tool, started in `folder`, once its window with `caption` shows; ended
// by force if a test leaves it running.
struct Program {
    explicit Program(const std::string& folder, std::string arguments = "",
                     const char* caption = kSetupCaption)
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        arguments = "\"" + kExe + "\" " + arguments;
        CreateProcessA(kExe.c_str(), &arguments[0], 0, 0, FALSE, 0, 0, folder.c_str(), &startup, &process);
        list = GetDlgItem(window = ShownWindow(caption, 15000), 1000);
    }
    ~Program()
    {
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    bool Exited() const { return WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0; }
    void Post(UINT message, WPARAM wParam = 0) const { PostMessageW(list, message, wParam, 0); }
    void Click() const { PostMessageW(GetDlgItem(window, 1001), BM_CLICK, 0, 0); }

    PROCESS_INFORMATION process{};
    HWND window, list;
};

TEST(ProgramTest, TheShippedBuildListsTheSamplePackageSortedWithTheFirstSelected)
{
    // The file this tree is meant to test: the shipped i386 program where Wine runs it.
    char header[0x200] = {};
    std::ifstream(kExe, std::ios::binary).read(header, sizeof header);
    const unsigned pe = std::min(*reinterpret_cast<unsigned*>(header + 0x3C), 0x1F0u);
    EXPECT_EQ(*reinterpret_cast<WORD*>(header + pe + 4),
              std::stoul(TestSetting("TOLVEXAN_EXE_MACHINE"), 0, 16));

    Program program(kExamples, "/? -x --install \"C:\\no such.inf\" lpt2:"); // ignored
    EXPECT_EQ(ListEntries(program.list),
              (Texts{"Win2k:\"Zentu KTL-1000\"", Cp932("Win2k:\"Zentu KTL-2000 カラー\""),
                     "Win2k:\"Zentu KTL-3000\"", "WinXP:\"Zentu KTL-1000\"", "WinXP:\"Zentu KTL-4000\"",
                     "WinXP:\"Zentu KTL-5000 Pro\""}));
    EXPECT_EQ(SendMessageW(program.list, LB_GETCURSEL, 0, 0), 0);
    PostMessageW(program.window, WM_SYSCOMMAND, SC_CLOSE, 0);
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
    EXPECT_EQ(ListEntries(program.list), (Texts{"Win2k:\"Zentu KTL-3000\"", "WinXP:\"Zentu KTL-5000 Pro\""}));
    program.Post(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_TRUE(program.Exited()) << "Escape did not end the program";
}

TEST(ProgramTest, TheVersionItemOpensABoxOwnedByTheSetupDialogAndReturnsToIt)
{
    // The system may set the low four bits of the command. Each box is closed
    // in its own way: OK, Escape, the close box.
    struct Case {
        WPARAM command;
        int control; // the box itself when 0
        UINT message;
        WPARAM wParam;
    } const cases[] = {{0x0010, IDOK, BM_CLICK, 0},
                       {0x0013, IDOK, WM_KEYDOWN, VK_ESCAPE},
                       {0x001F, 0, WM_SYSCOMMAND, SC_CLOSE}};
    Program program(kExamples);
    program.Post(LB_SETCURSEL, 1);
    for (const Case& c : cases) {
        PostMessageW(program.window, WM_SYSCOMMAND, c.command, 0);
        HWND box = ShownWindow(Cp932("tolvexanのﾊﾞｰｼﾞｮﾝ情報"));
        ASSERT_NE(box, nullptr) << "command " << c.command << " opened no version box";
        EXPECT_EQ(GetWindow(box, GW_OWNER), program.window);
        EXPECT_FALSE(IsWindowEnabled(program.window)) << "the setup dialog waits while the box is open";
        PostMessageW(c.control ? GetDlgItem(box, c.control) : box, c.message, c.wParam, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(program.window); })) << c.command;
        EXPECT_EQ(ListEntries(program.list).size(), 6u);
        EXPECT_EQ(SendMessageW(program.list, LB_GETCURSEL, 0, 0), 1);
    }
}

TEST(ProgramTest, WithoutADriverShowsOnlyTheErrorAndEndsAfterOk)
{
    TempFolder empty;
    const std::string caption = Cp932("エラー発生");
    Program program(empty.Path(), "", caption.c_str());
    ASSERT_NE(program.window, nullptr) << "no error box";
    EXPECT_EQ(WindowText(GetDlgItem(program.window, 0xFFFF)),
              Cp932("Zentu KTLドライバが展開されたフォルダで実行してください。"));
    EXPECT_EQ(GetDlgItem(program.window, IDCANCEL), nullptr) << "only an OK button";
    EXPECT_EQ(ShownWindow(kSetupCaption, 0), nullptr) << "the setup dialog must not show";
    PostMessageW(program.window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program.Exited()) << "the program did not end after OK";
}

// The parameters each start of the printer set-up received since this was
// made, as Wine traces them; waits for `count`, then a little for any more.
struct PrinterSetupTraces {
    static std::string Log()
    {
        std::ifstream log(WindowsPath("TOLVEXAN_WINE_LOG"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), {});
    }
    Texts Launches() const
    {
        Texts launches;
        std::istringstream lines(Log().substr(start));
        for (std::string line; std::getline(lines, line);)
            if (line.find(":trace:printui:PrintUIEntryW (") != std::string::npos)
                launches.push_back(line.substr(line.find("L\"") + 2, line.rfind('"') - line.find("L\"") - 2));
        return launches;
    }
    Texts WaitFor(size_t count, DWORD timeoutMs = 20000) const
    {
        ::WaitFor([&] { return Launches().size() >= count; }, timeoutMs);
        Sleep(1500);
        return Launches();
    }
    const size_t start = Log().size();
};

// Text as Wine traces it: quotation marks and backslashes escaped.
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
    const std::string expected =
        Traced("/if /m \"Zentu KTL-1000\" /f \"" + kExamples + "\\ZNTKTL.INF\" /r \"lpt1:\"");
    program.Click();
    EXPECT_EQ(traces.WaitFor(1), Texts{expected});
    EXPECT_TRUE(IsWindowVisible(program.window)) << "the dialog stays open";
    EXPECT_EQ(SendMessageW(program.list, LB_GETCURSEL, 0, 0), 0) << "and keeps its selection";

    // Posted, so that they reach the tool in this order.
    program.Post(LB_SETCURSEL, WPARAM(-1));
    program.Click();
    PostMessageW(program.list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    program.Post(LB_SETCURSEL, 0);
    program.Post(WM_KEYDOWN, VK_RETURN);
    EXPECT_TRUE(program.Exited()) << "Enter in the list did not close the tool";
    EXPECT_EQ(traces.WaitFor(2, 3000).size(), 1u)
        << "no selection, a double-click or Enter started an installation";
}

TEST(InstallTest, StartsTheSystemsRundll32NotOneInTheDriverFolder)
{
    TempFolder folder;
    CopyFileA((kExamples + "\\ZNTKTL.INF").c_str(), folder.PathOf("ZNTKTL.INF").c_str(), FALSE);
    ASSERT_TRUE(
        CopyFileA(WindowsPath("TOLVEXAN_PLANTED").c_str(), folder.PathOf("rundll32.exe").c_str(), FALSE));
    PrinterSetupTraces traces;
    Program program(folder.Path());
    program.Click();
    EXPECT_EQ(traces.WaitFor(1).size(), 1u) << "the printer set-up did not start";
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf("planted-ran")))
        << "the driver folder's rundll32.exe ran";
    // Wine may run its own rundll32 for any file of that name: what the shell was asked to start tells.
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string systemRundll32 = Traced("\"" + std::string(system) + "\\rundll32.exe\" printui.dll");
    EXPECT_NE(PrinterSetupTraces::Log().find("Execute L\"" + systemRundll32), std::string::npos);
}

} // namespace
