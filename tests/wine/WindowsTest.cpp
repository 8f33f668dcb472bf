// The Windows tests, on the real Win32 API under Wine. In-process: the setup
// dialog on the real dialog manager (its icons and its system menu, which
// another process cannot read) and the real file search. End to end:
// tolvexan.exe started as a user starts it; what the system's printer set-up
// receives is read from the traces of Wine's own printui.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "SetupDlg.h"
#include "Win32Platform.h"
#include "resource.h"

namespace {

using Texts = std::vector<std::string>;
using WideTexts = std::vector<std::wstring>;
const wchar_t kSetupCaption[] = L"ZentuPrinter Voskari for Win2k/XP";

// A Linux path that the test launcher exports, as Wine sees it ("Z:\...").
std::string WindowsPath(const char* setting)
{
    std::string path = std::string("Z:") + std::getenv(setting);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}
const std::string kExamples = WindowsPath("TOLVEXAN_EXAMPLES"); // the sample driver package
const std::string kExe = WindowsPath("TOLVEXAN_EXE");           // the tool under test

// Read with the wide functions, which work across processes under Wine too:
// the tool's code-page-932 texts come back as what they mean.
WideTexts ListEntries(HWND list)
{
    WideTexts entries(std::max<LRESULT>(0, SendMessageW(list, LB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].resize(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1);
        entries[i].resize(std::max<LRESULT>(0, SendMessageW(list, LB_GETTEXT, i, LPARAM(&entries[i][0]))));
    }
    return entries;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
{
    for (const DWORD start = GetTickCount(); !condition(); Sleep(20))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

// The visible window with `caption`, waiting for it; null when none shows in
// time. The tests run one at a time.
HWND ShownWindow(const wchar_t* caption, DWORD timeoutMs = 10000)
{
    HWND window = nullptr;
    WaitFor([&] { return IsWindowVisible(window = FindWindowW(nullptr, caption)) != FALSE; }, timeoutMs);
    return IsWindowVisible(window) ? window : nullptr;
}

// A new folder under the temporary folder, removed with its content.
struct TempFolder {
    TempFolder() { EXPECT_TRUE(std::filesystem::create_directory(path)) << path; }
    ~TempFolder() { std::filesystem::remove_all(path, ignored); }
    std::string PathOf(const char* name) const { return (path / name).string(); }

    static inline int count = 0;
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("tolvexan-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count));
    std::error_code ignored;
};

void (*g_check)(HWND dialog) = nullptr;

// Runs on the setup dialog's modal loop, where a user's input would arrive.
void CALLBACK CheckAndEnd(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND dialog = GetActiveWindow();
    EXPECT_EQ(dialog, FindWindowW(nullptr, kSetupCaption)) << "the setup dialog is not the active window";
    g_check(dialog);
    EndDialog(dialog, IDCANCEL);
}

// Opens the setup dialog on the sample package, runs `check` on it, ends it.
void CheckSetupDialog(void (*check)(HWND dialog))
{
    g_check = check;
    SetCurrentDirectoryA(kExamples.c_str());
    SetTimer(nullptr, 0, 10, CheckAndEnd);
    EXPECT_EQ(CSetupDlg().DoModal(), IDCANCEL);
}

TEST(DialogTest, ShowsTheAppIconWithTheListFocusedAndMinimises)
{
    CheckSetupDialog([](HWND dialog) {
        const HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
        ASSERT_NE(appIcon, nullptr);
        EXPECT_EQ(HICON(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)), appIcon);
        EXPECT_EQ(HICON(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)), appIcon);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_MODEL_LIST)) << "the list has the focus";
        SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(IsIconic(dialog)) << "SC_MINIMIZE did not minimise the dialog";
        EXPECT_EQ(HICON(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0)), appIcon);
    });
}

TEST(DialogTest, TheSystemMenuEndsWithASeparatorAndTheVersionItem)
{
    CheckSetupDialog([](HWND dialog) {
        HMENU menu = GetSystemMenu(dialog, FALSE);
        const int count = GetMenuItemCount(menu);
        wchar_t text[64] = L"";
        EXPECT_EQ(GetMenuItemID(menu, count - 1), 0x0010u);
        GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, L"tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)...");
        EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR) << "no separator before it";
    });
}

TEST(PlatformTest, TheFileSearchReportsTheFirstMatchWithItsSizeOrNone)
{
    Win32SetupPlatform platform(nullptr);
    SetupPlatform::FileMatch match{};
    ASSERT_TRUE(platform.FindFirstMatch((kExamples + "\\*.INF").c_str(), match));
    EXPECT_STREQ(match.name, "ZNTKTL.INF");
    EXPECT_EQ(match.size, std::filesystem::file_size(kExamples + "\\ZNTKTL.INF"));
    EXPECT_FALSE(platform.FindFirstMatch((kExamples + "\\*.NONE").c_str(), match)) << "a match for *.NONE";
}

// The tool, started in `folder`, once its window with `caption` shows; ended
// by force if a test leaves it running.
struct Program {
    explicit Program(const std::string& folder, std::string arguments = "",
                     const wchar_t* caption = kSetupCaption)
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
    void Click() const { PostMessageW(GetDlgItem(window, 1001), BM_CLICK, 0, 0); }

    PROCESS_INFORMATION process{};
    HWND window, list;
};

TEST(ProgramTest, TheShippedBuildListsTheSamplePackageSortedWithTheFirstSelected)
{
    DWORD type = ~0u; // 32-bit tests start the shipped 32-bit program
    EXPECT_TRUE(GetBinaryTypeA(kExe.c_str(), &type)) << kExe;
    EXPECT_EQ(type, sizeof(void*) == 4 ? SCS_32BIT_BINARY : SCS_64BIT_BINARY) << kExe;

    Program program(kExamples, "/? -x --install \"C:\\no such.inf\" lpt2:"); // ignored
    EXPECT_EQ(ListEntries(program.list),
              (WideTexts{L"Win2k:\"Zentu KTL-1000\"", L"Win2k:\"Zentu KTL-2000 カラー\"",
                         L"Win2k:\"Zentu KTL-3000\"", L"WinXP:\"Zentu KTL-1000\"",
                         L"WinXP:\"Zentu KTL-4000\"", L"WinXP:\"Zentu KTL-5000 Pro\""}));
    EXPECT_EQ(SendMessageW(program.list, LB_GETCURSEL, 0, 0), 0);
    PostMessageW(program.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.Exited()) << "the close box did not end the program";
}

TEST(ProgramTest, ShiftHeldAtStartListsTheFirstModelOfEachSection)
{
    keybd_event(VK_SHIFT, 0, 0, 0);
    Program program(kExamples);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(ListEntries(program.list),
              (WideTexts{L"Win2k:\"Zentu KTL-3000\"", L"WinXP:\"Zentu KTL-5000 Pro\""}));
    PostMessageW(program.list, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(program.Exited()) << "Escape did not end the program";
}

TEST(ProgramTest, TheVersionItemOpensABoxOwnedByTheSetupDialogAndReturnsToIt)
{
    Program program(kExamples);
    PostMessageW(program.list, LB_SETCURSEL, 1, 0);
    // The system may set the low four bits of the command. Each box is closed
    // in its own way: OK, Escape, the close box.
    using Case = std::tuple<WPARAM, UINT, WPARAM>; // command, then the message that closes the box
    for (const auto& [command, message, wParam] :
         {Case{0x0010, BM_CLICK, 0}, Case{0x0013, WM_KEYDOWN, VK_ESCAPE},
          Case{0x001F, WM_SYSCOMMAND, SC_CLOSE}}) {
        PostMessageW(program.window, WM_SYSCOMMAND, command, 0);
        HWND box = ShownWindow(L"tolvexanのﾊﾞｰｼﾞｮﾝ情報");
        ASSERT_NE(box, nullptr) << "command " << command << " opened no version box";
        EXPECT_EQ(GetWindow(box, GW_OWNER), program.window);
        EXPECT_FALSE(IsWindowEnabled(program.window)) << "the setup dialog waits while the box is open";
        PostMessageW(message == WM_SYSCOMMAND ? box : GetDlgItem(box, IDOK), message, wParam, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(program.window); })) << command;
        EXPECT_EQ(SendMessageW(program.list, LB_GETCURSEL, 0, 0), 1);
    }
}

TEST(ProgramTest, WithoutADriverShowsOnlyTheErrorAndEndsAfterOk)
{
    TempFolder empty;
    Program program(empty.path.string(), "", L"エラー発生");
    ASSERT_NE(program.window, nullptr) << "no error box";
    wchar_t text[64] = L"";
    GetDlgItemTextW(program.window, 0xFFFF, text, 64);
    EXPECT_STREQ(text, L"Zentu KTLドライバが展開されたフォルダで実行してください。");
    EXPECT_EQ(GetDlgItem(program.window, IDCANCEL), nullptr) << "only an OK button";
    EXPECT_EQ(ShownWindow(kSetupCaption, 0), nullptr) << "the setup dialog must not show";
    PostMessageW(program.window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program.Exited()) << "the program did not end after OK";
}

// What the shell and the system's printer set-up were asked to do, as Wine
// traces it: the whole log, and where it stood when this was made.
struct PrinterSetupTraces {
    static std::string Log()
    {
        std::ifstream log(WindowsPath("TOLVEXAN_WINE_LOG"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), {});
    }
    // The parameters of each start of the printer set-up: waits for `count`, then a little for any more.
    Texts Launches(size_t count, DWORD timeoutMs = 20000) const
    {
        static const std::regex launch(":trace:printui:PrintUIEntryW \\(.*?L\"(.*)\", 0x");
        Texts launches;
        const auto read = [&] {
            const std::string log = Log().substr(start);
            launches.assign(std::sregex_token_iterator(log.begin(), log.end(), launch, 1), {});
            return launches.size() >= count;
        };
        WaitFor(read, timeoutMs);
        Sleep(1500);
        read();
        return launches;
    }
    const size_t start = Log().size();
};

// Text as Wine traces it: quotation marks and backslashes escaped.
std::string Traced(const std::string& text)
{
    return std::regex_replace(text, std::regex(R"(["\\])"), "\\$&");
}

TEST(InstallTest, AClickInstallsTheSelectedModelOnLpt1AndNothingElseStartsIt)
{
    PrinterSetupTraces traces;
    Program program(kExamples);
    program.Click();
    EXPECT_EQ(traces.Launches(1),
              Texts{Traced("/if /m \"Zentu KTL-1000\" /f \"" + kExamples + "\\ZNTKTL.INF\" /r \"lpt1:\"")});
    EXPECT_TRUE(IsWindowVisible(program.window)) << "the dialog stays open";

    // Posted, so that they reach the tool in this order.
    PostMessageW(program.list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(program.list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(program.Exited()) << "Enter in the list did not close the tool";
    EXPECT_EQ(traces.Launches(2, 3000).size(), 1u) << "a double-click or Enter started an installation";
}

TEST(InstallTest, StartsTheSystemsRundll32NotOneInTheDriverFolder)
{
    TempFolder folder;
    CopyFileA((kExamples + "\\ZNTKTL.INF").c_str(), folder.PathOf("ZNTKTL.INF").c_str(), FALSE);
    ASSERT_TRUE(
        CopyFileA(WindowsPath("TOLVEXAN_PLANTED").c_str(), folder.PathOf("rundll32.exe").c_str(), FALSE));
    PrinterSetupTraces traces;
    Program program(folder.path.string());
    program.Click();
    EXPECT_EQ(traces.Launches(1).size(), 1u) << "the printer set-up did not start";
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf("planted-ran")))
        << "the driver folder's rundll32.exe ran";
    // Wine may run its own rundll32 for any file of that name: what the shell was asked to start tells.
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string systemRundll32 = Traced("\"" + std::string(system) + "\\rundll32.exe\" printui.dll");
    EXPECT_NE(traces.Log().find("Execute L\"" + systemRundll32, traces.start), std::string::npos);
}

} // namespace
