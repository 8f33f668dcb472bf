// tolvexan.exe started as a user starts it; what the system's printer set-up
// receives is read from the traces of Wine's own printui.dll.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "TestSupport.h"

namespace {

const char kSetupCaption[] = "ZentuPrinter Voskari for Win2k/XP";
const int kModelList = 1000, kInstall = 1001;

std::string Exe() { return WindowsPathOf(TestSetting("TOLVEXAN_EXE")); }
std::string Examples() { return WindowsPathOf(TestSetting("TOLVEXAN_EXAMPLES")); }

// The tool, started in `folder`; ended by force if a test leaves it running.
class Program {
public:
    explicit Program(const std::string& folder, const std::string& arguments = "")
    {
        std::string commandLine = "\"" + Exe() + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        m_started = CreateProcessA(Exe().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.c_str(), &startup, &m_process);
    }
    ~Program()
    {
        if (m_started && !Exited(0))
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    HWND Dialog(const std::string& caption = kSetupCaption, DWORD timeoutMs = 15000) const
    {
        return m_started ? FindDialog(m_process.dwProcessId, caption, timeoutMs) : nullptr;
    }
    bool Exited(DWORD timeoutMs = 10000) const
    {
        return WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    BOOL m_started = FALSE;
    PROCESS_INFORMATION m_process{};
};

const std::vector<std::string> kSampleEntries = {
    "Win2k:\"Zentu KTL-1000\"", Cp932("Win2k:\"Zentu KTL-2000 カラー\""), "Win2k:\"Zentu KTL-3000\"",
    "WinXP:\"Zentu KTL-1000\"", "WinXP:\"Zentu KTL-4000\"",           "WinXP:\"Zentu KTL-5000 Pro\"",
};

TEST(ProgramTest, TheShippedBuildListsTheSamplePackageSortedWithTheFirstSelected)
{
    // The file is the one this tree is meant to test: the shipped 32-bit
    // program where Wine runs it, else the 64-bit build.
    std::ifstream exe(Exe(), std::ios::binary);
    char header[0x200] = {};
    exe.read(header, sizeof header);
    const unsigned peAt = *reinterpret_cast<unsigned*>(header + 0x3C);
    ASSERT_LT(peAt, sizeof header - 6);
    EXPECT_EQ(*reinterpret_cast<unsigned short*>(header + peAt + 4), std::stoul(TestSetting("TOLVEXAN_EXE_MACHINE"), nullptr, 16))
        << TestSetting("TOLVEXAN_EXE");

    Program program(Examples(), "/? -x --install \"C:\\no such.inf\" lpt2:"); // arguments are ignored
    HWND dialog = program.Dialog();
    ASSERT_NE(dialog, nullptr) << "the setup dialog did not appear";
    EXPECT_EQ(ListEntries(GetDlgItem(dialog, kModelList)), kSampleEntries);
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kModelList), LB_GETCURSEL, 0, 0), 0);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.Exited()) << "the program did not end with its dialog";
}

TEST(ProgramTest, ShiftHeldAtStartListsTheFirstModelOfEachSection)
{
    INPUT shift{};
    shift.type = INPUT_KEYBOARD;
    shift.ki.wVk = VK_SHIFT;
    SendInput(1, &shift, sizeof shift);
    Program program(Examples());
    HWND dialog = program.Dialog();
    shift.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &shift, sizeof shift);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ListEntries(GetDlgItem(dialog, kModelList)),
              (std::vector<std::string>{"Win2k:\"Zentu KTL-3000\"", "WinXP:\"Zentu KTL-5000 Pro\""}));
}

TEST(ProgramTest, WithoutADriverShowsOnlyTheErrorAndEndsAfterOk)
{
    TempFolder empty;
    Program program(empty.Path());
    HWND box = program.Dialog(Cp932("エラー発生"));
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), Cp932("Zentu KTLドライバが展開されたフォルダで実行してください。"));
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "only an OK button";
    EXPECT_EQ(program.Dialog(kSetupCaption, 0), nullptr) << "the setup dialog must not show";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program.Exited()) << "the program did not end after OK";
}

// The parameters each start of the printer set-up received since this object
// was made, as Wine traces them: quotation marks and backslashes escaped.
class PrinterSetupTraces {
public:
    PrinterSetupTraces() : m_start(Read().size()) {}
    std::vector<std::string> WaitFor(size_t count, DWORD timeoutMs = 20000) const
    {
        ::WaitFor([&] { return Launches().size() >= count; }, timeoutMs);
        Sleep(1500); // for any surplus start
        return Launches();
    }

private:
    static std::string Read()
    {
        std::ifstream log(WindowsPathOf(TestSetting("TOLVEXAN_WINE_LOG")), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), {});
    }
    std::vector<std::string> Launches() const
    {
        std::vector<std::string> launches;
        std::istringstream lines(Read().substr(m_start));
        for (std::string line; std::getline(lines, line);)
            if (line.find(":trace:printui:PrintUIEntryW (") != std::string::npos) {
                const size_t from = line.find("L\"") + 2;
                launches.push_back(line.substr(from, line.rfind('"') - from));
            }
        return launches;
    }
    size_t m_start;
};

std::string Traced(const std::string& text)
{
    std::string escaped;
    for (char c : text)
        escaped += (c == '"' || c == '\\' ? "\\" : "") + std::string(1, c);
    return escaped;
}

void Click(HWND dialog) { PostMessageA(GetDlgItem(dialog, kInstall), BM_CLICK, 0, 0); }

TEST(InstallTest, EachClickInstallsTheSelectedModelOnLpt1AndNothingElseStartsIt)
{
    PrinterSetupTraces traces;
    Program program(Examples());
    HWND dialog = program.Dialog(), list = GetDlgItem(dialog, kModelList);
    ASSERT_NE(dialog, nullptr);
    const std::string expected = Traced("/if /m \"Zentu KTL-1000\" /f \"" + Examples() + "\\ZNTKTL.INF\" /r \"lpt1:\"");

    Click(dialog);
    EXPECT_EQ(traces.WaitFor(1), std::vector<std::string>{expected});
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0) << "and keeps its selection";

    SendMessageW(list, LB_SETCURSEL, 3, 0); // WinXP: the same model
    Click(dialog);
    EXPECT_EQ(traces.WaitFor(2), std::vector<std::string>(2, expected));

    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Click(dialog);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(program.Exited()) << "Enter in the list closes the tool";
    EXPECT_EQ(traces.WaitFor(3, 3000).size(), 2u) << "no selection, a double-click or Enter started an installation";
}

TEST(InstallTest, AModelWithBlanksReachesThePrinterSetUpWhole)
{
    TempFolder folder;
    folder.WriteText("x.inf", "[Zentu]\nZentu KTL 7 = Z\n[Zentu.NTx86.5.1]\nZentu KTL 7 = Z\n");
    PrinterSetupTraces traces;
    Program program(folder.Path());
    ASSERT_NE(program.Dialog(), nullptr);
    Click(program.Dialog());
    const auto launches = traces.WaitFor(1);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_NE(launches[0].find(Traced("/m \"Zentu KTL 7\" /f ")), std::string::npos) << launches[0];
}

TEST(InstallTest, DoesNotRunARundll32LyingInTheDriverFolder)
{
    TempFolder folder;
    ASSERT_TRUE(CopyFileA((Examples() + "\\ZNTKTL.INF").c_str(), folder.PathOf("ZNTKTL.INF").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(WindowsPathOf(TestSetting("TOLVEXAN_PLANTED")).c_str(),
                          folder.PathOf("rundll32.exe").c_str(), FALSE));
    PrinterSetupTraces traces;
    Program program(folder.Path());
    ASSERT_NE(program.Dialog(), nullptr);
    Click(program.Dialog());
    EXPECT_EQ(traces.WaitFor(1).size(), 1u) << "the system's printer set-up did not start";
    EXPECT_EQ(GetFileAttributesA(folder.PathOf("planted-rundll32-ran").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the driver folder's rundll32.exe ran";
}

} // namespace
