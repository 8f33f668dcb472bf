// The Windows tests, on the real Win32 API under Wine. In-process: the dialogs
// on the real dialog manager (icons, system menu and fonts, which another
// process cannot read) and the real file search. End to end: tolvexan.exe
// started as a user starts it; what the shell and Wine's own printui.dll
// receive is read from Wine's traces.
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
#include "VersionDlg.h"
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
const std::string kExamples = WindowsPath("TOLVEXAN_EXAMPLES");            // the sample driver package
const std::filesystem::path kExe = WindowsPath("TOLVEXAN_EXE");            // the tool under test
const std::filesystem::path kCheckExe = WindowsPath("TOLVEXAN_CHECK_EXE"); // the package check under test

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

// A new folder under the temporary folder, removed with its content. Its name
// holds a blank and "表", whose second byte in code page 932 is a backslash.
struct TempFolder {
    TempFolder() { EXPECT_TRUE(std::filesystem::create_directory(path)) << path; }
    ~TempFolder() { std::filesystem::remove_all(path, ignored); }

    static inline int count = 0;
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        (L"tolvexan-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count) + L" 表");
    std::error_code ignored;
};

using Place = std::pair<LONG, LONG>; // a window's top left corner

// The window's rectangle; for none, the primary monitor's work area.
RECT RectOf(HWND window)
{
    RECT rect{};
    window ? GetWindowRect(window, &rect) : SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0);
    return rect;
}
Place PlaceOf(HWND window) { return {RectOf(window).left, RectOf(window).top}; }

// Where `window` belongs: centred on `area`, moved into the work area where it would stick out.
Place Centred(HWND window, const RECT& area)
{
    const RECT box = RectOf(window), work = RectOf(nullptr);
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    return {std::clamp(area.left + (area.right - area.left - width) / 2, work.left, work.right - width),
            std::clamp(area.top + (area.bottom - area.top - height) / 2, work.top, work.bottom - height)};
}

CDialog* g_dialog = nullptr;
void (*g_check)(HWND dialog) = nullptr;

// Runs on the dialog's modal loop, where a user's input would arrive.
void CALLBACK CheckAndEnd(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_check(g_dialog->m_hWnd);
    g_dialog->EndDialog(IDCANCEL);
}

// Opens `dialog` on the sample package, runs `check` on it, ends it.
void CheckDialog(CDialog&& dialog, void (*check)(HWND dialog))
{
    g_dialog = &dialog;
    g_check = check;
    SetCurrentDirectoryA(kExamples.c_str());
    SetTimer(nullptr, 0, 10, CheckAndEnd);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(DialogTest, OpenCentredWithIconsMenuItemAndTextsThatFit)
{
    CheckDialog(CSetupDlg(), [](HWND dialog) {
        const HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
        ASSERT_NE(appIcon, nullptr);
        EXPECT_EQ(HICON(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)), appIcon);
        EXPECT_EQ(HICON(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)), appIcon);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_MODEL_LIST)) << "the list has the focus";
        EXPECT_EQ(PlaceOf(dialog), Centred(dialog, RectOf(nullptr))) << "an unowned dialog opens centred";
        UpdateWindow(dialog);
        EXPECT_FALSE(GetUpdateRect(dialog, nullptr, FALSE)) << "painting left undone";
        HMENU menu = GetSystemMenu(dialog, FALSE);
        const int count = GetMenuItemCount(menu);
        wchar_t text[64] = L"";
        GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, L"tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)...");
        EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR) << "no separator before it";
        SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(IsIconic(dialog)) << "SC_MINIMIZE did not minimise the dialog";
        EXPECT_EQ(HICON(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0)), appIcon);
    });
    // Each text of the version box fits one line of its field in the box's font, with room to spare.
    CheckDialog(CVersionDlg(), [](HWND box) {
        int texts = 0;
        for (HWND field = GetWindow(box, GW_CHILD); field; field = GetWindow(field, GW_HWNDNEXT)) {
            const LONG style = GetWindowLongW(field, GWL_STYLE);
            if (GetDlgCtrlID(field) == IDOK || (style & SS_TYPEMASK) == SS_ICON)
                continue;
            wchar_t text[128] = L"";
            GetWindowTextW(field, text, 128);
            RECT client;
            GetClientRect(field, &client);
            RECT needed = client;
            HDC dc = GetDC(field);
            SelectObject(dc, HFONT(SendMessageW(field, WM_GETFONT, 0, 0)));
            DrawTextW(dc, text, -1, &needed,
                      DT_CALCRECT | DT_WORDBREAK | (style & SS_NOPREFIX ? DT_NOPREFIX : 0));
            ReleaseDC(field, dc);
            EXPECT_LE(needed.right * 100, client.right * 85) << text << ": too wide";
            EXPECT_LE(needed.bottom, client.bottom) << text << ": more than one line";
            ++texts;
        }
        EXPECT_EQ(texts, 2);
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
    explicit Program(const std::filesystem::path& folder, std::wstring arguments = L"",
                     const wchar_t* caption = kSetupCaption)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        arguments = L"\"" + kExe.wstring() + L"\" " + arguments;
        CreateProcessW(kExe.c_str(), &arguments[0], 0, 0, FALSE, 0, 0, folder.c_str(), &startup, &process);
        list = GetDlgItem(window = ShownWindow(caption, 15000), 1000);
    }
    ~Program()
    {
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    bool Exited() const { return WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0; }
    // A person's click on the install button: with the mouse, which a disabled button ignores.
    void Click() const
    {
        const RECT button = RectOf(GetDlgItem(window, 1001));
        SetCursorPos((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0), mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }

    PROCESS_INFORMATION process{};
    HWND window, list;
};

TEST(ProgramTest, ShiftHeldListsFirstModelsAndTheVersionItemOpensABoxCentredOverTheDialog)
{
    keybd_event(VK_SHIFT, 0, 0, 0);
    Program program(kExamples);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(ListEntries(program.list),
              (WideTexts{L"Win2k:\"Zentu KTL-3000\"", L"WinXP:\"Zentu KTL-5000 Pro\""}));
    PostMessageW(program.list, LB_SETCURSEL, 1, 0);
    const RECT work = RectOf(nullptr);
    // Opened as a person does, from the system menu by keyboard (0), or by the command with the low bits the
    // system may set; over the dialog moved aside, in a corner, minimised; closed by OK, Escape, close box.
    using Case = std::tuple<WPARAM, POINT, UINT, UINT, WPARAM>;
    for (const auto& [command, place, show, message, wParam] :
         {Case{0, {40, 30}, SW_RESTORE, BM_CLICK, 0},
          Case{0x0013, {work.right - 60, work.bottom - 40}, SW_RESTORE, WM_KEYDOWN, VK_ESCAPE},
          Case{0x001F, {40, 30}, SW_MINIMIZE, WM_SYSCOMMAND, SC_CLOSE}}) {
        SetWindowPos(program.window, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(program.window, show);
        if (command == 0) {
            PostMessageW(program.window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
            EXPECT_TRUE(WaitFor([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE; }));
            keybd_event(VK_UP, 0, 0, 0), keybd_event(VK_UP, 0, KEYEVENTF_KEYUP, 0);
            keybd_event(VK_RETURN, 0, 0, 0), keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
        } else {
            PostMessageW(program.window, WM_SYSCOMMAND, command, 0);
        }
        HWND box = ShownWindow(L"tolvexanのﾊﾞｰｼﾞｮﾝ情報");
        ASSERT_NE(box, nullptr) << "command " << command << " opened no version box";
        EXPECT_EQ(GetWindow(box, GW_OWNER), program.window);
        EXPECT_EQ(PlaceOf(box), Centred(box, RectOf(show == SW_MINIMIZE ? nullptr : program.window)))
            << command;
        EXPECT_FALSE(IsWindowEnabled(program.window)) << "the setup dialog waits while the box is open";
        PostMessageW(message == WM_SYSCOMMAND ? box : GetDlgItem(box, IDOK), message, wParam, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(program.window); })) << command;
        EXPECT_EQ(SendMessageW(program.list, LB_GETCURSEL, 0, 0), 1);
    }
    PostMessageW(program.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.Exited()) << "the close box did not end the program";
}

// In an empty folder, and in one whose only INF has no model sections, as a CD's AUTORUN.INF.
TEST(ProgramTest, WithoutADriverShowsOnlyTheErrorAndEndsAfterOk)
{
    for (const char* autorun : {"", "[autorun]\r\nopen=setup.exe\r\nicon=setup.exe,0\r\n"}) {
        TempFolder folder;
        if (*autorun)
            std::ofstream(folder.path / "AUTORUN.INF", std::ios::binary) << autorun;
        SCOPED_TRACE(*autorun ? "a folder with only AUTORUN.INF" : "an empty folder");
        Program program(folder.path, L"", L"エラー発生");
        ASSERT_NE(program.window, nullptr) << "no error box";
        wchar_t text[64] = L"";
        GetDlgItemTextW(program.window, 0xFFFF, text, 64);
        EXPECT_STREQ(text, L"Zentu KTLドライバが展開されたフォルダで実行してください。");
        for (const int button : {IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE})
            EXPECT_EQ(GetDlgItem(program.window, button), nullptr) << "a button besides OK: " << button;
        EXPECT_EQ(SendMessageW(GetDlgItem(program.window, 0x440), STM_GETICON, 0, 0), 0)
            << "an icon in the box";
        const HWND setup = FindWindowW(nullptr, kSetupCaption);
        EXPECT_TRUE(setup && GetWindow(program.window, GW_OWNER) == setup) << "not the setup dialog's box";
        EXPECT_FALSE(IsWindowVisible(setup)) << "the setup dialog must not show";
        PostMessageW(program.window, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(program.Exited()) << "the program did not end after OK";
    }
}

// What the shell and the system's printer set-up were asked to do, as Wine
// traces it: the whole log, and where it stood when this was made.
struct PrinterSetupTraces {
    static std::string Log()
    {
        std::ifstream log(WindowsPath("TOLVEXAN_WINE_LOG"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), {});
    }
    // What the first group of `pattern` holds in each trace line since this was made: waits for `count`, then
    // a little for any more. The shell's lines tell owner, verb, file, parameters, folder and show state.
    Texts Since(const char* pattern, size_t count, DWORD timeoutMs = 20000) const
    {
        const std::regex line(pattern);
        Texts found;
        const auto read = [&] {
            const std::string log = Log().substr(start);
            found.assign(std::sregex_token_iterator(log.begin(), log.end(), line, 1), {});
            return found.size() >= count;
        };
        WaitFor(read, timeoutMs);
        Sleep(1500);
        read();
        return found;
    }
    // The parameters that each start of the printer set-up received, and the show state it was given.
    Texts Launches(size_t count, DWORD timeoutMs = 20000) const
    {
        return Since(":trace:printui:PrintUIEntryW \\(\\w+, \\w+, L\"(.*)\\)\n", count, timeoutMs);
    }
    const size_t start = Log().size();
};

// Text as Wine traces it: quotation marks and backslashes escaped, characters beyond ASCII as \hhhh.
std::string Traced(const std::wstring& text)
{
    std::string traced;
    for (const wchar_t c : text) {
        char hex[8];
        snprintf(hex, sizeof hex, "\\%04x", unsigned(c));
        traced += c > 126 ? hex : std::string(c == '"' || c == '\\', '\\') + char(c);
    }
    return traced;
}

// The parameters that install `model` from `inf` on lpt1:, as Wine traces them.
std::string Command(const std::wstring& model, const std::filesystem::path& inf)
{
    return Traced(L"/if /m " + model + L" /f \"" + inf.wstring() + L"\" /r \"lpt1:\"");
}

// In a Japanese folder whose own rundll32.exe must not run.
TEST(InstallTest, ListsThePackageSortedAndEachClickInstallsTheSelectedModelOnLpt1)
{
    DWORD type = ~0u; // 32-bit tests start the shipped 32-bit program
    EXPECT_TRUE(GetBinaryTypeW(kExe.c_str(), &type)) << kExe;
    EXPECT_EQ(type, sizeof(void*) == 4 ? SCS_32BIT_BINARY : SCS_64BIT_BINARY) << kExe;

    TempFolder folder;
    std::filesystem::copy_file(kExamples + "\\ZNTKTL.INF", folder.path / "ZNTKTL.INF");
    std::filesystem::copy_file(WindowsPath("TOLVEXAN_PLANTED"), folder.path / "rundll32.exe");
    PrinterSetupTraces traces;
    Program program(folder.path, L"/? -x --install \"C:\\no such.inf\" lpt2:"); // ignored
    EXPECT_EQ(ListEntries(program.list),
              (WideTexts{L"Win2k:\"Zentu KTL-1000\"", L"Win2k:\"Zentu KTL-2000 カラー\"",
                         L"Win2k:\"Zentu KTL-3000\"", L"WinXP:\"Zentu KTL-1000\"",
                         L"WinXP:\"Zentu KTL-4000\"", L"WinXP:\"Zentu KTL-5000 Pro\""}));
    EXPECT_EQ(SendMessageW(program.list, LB_GETCURSEL, 0, 0), 0);
    PostMessageW(program.list, WM_KEYDOWN, VK_DOWN, 0); // to the second model, whose name is Japanese
    program.Click();
    program.Click();
    const std::string command = Command(L"\"Zentu KTL-2000 カラー\"", folder.path / "ZNTKTL.INF");
    EXPECT_EQ(traces.Launches(2), Texts(2, command + "\", 0x1")) << "two clicks, two installations";
    // Owned by the dialog, the system's rundll32 by its full path, no working folder, shown normally.
    char owner[20];
    snprintf(owner, sizeof owner, "%0*llX", int(2 * sizeof(HWND)), 0ULL + uintptr_t(program.window));
    EXPECT_EQ(traces.Since(":trace:exec:SHELL_execute mask=\\w+ (.*) class=", 2),
              Texts(2, "hwnd=" + std::string(owner) + " verb=L\"open\" file=L\"" +
                           Traced(L"C:\\windows\\system32\\rundll32.exe") +
                           "\" parm=L\"printui.dll,PrintUIEntry " + command +
                           "\" dir=(null) show=0x00000001"));
    EXPECT_FALSE(std::filesystem::exists(folder.path / "planted-ran"))
        << "the driver folder's rundll32.exe ran";
    EXPECT_TRUE(IsWindowVisible(program.window)) << "the dialog stays open";

    // Posted, so that they reach the tool in this order.
    PostMessageW(program.list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(program.list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(program.Exited()) << "Enter in the list did not close the tool";
    EXPECT_EQ(traces.Launches(3, 3000).size(), 2u) << "a double-click or Enter started an installation";
}

// The package check, started in `folder` as a vendor starts it: its exit status, and its output and errors as
// its code page 932 reads.
std::pair<DWORD, std::wstring> RunCheck(const std::filesystem::path& folder,
                                        const std::wstring& arguments = L"")
{
    // A file of its own for each run: Wine's helpers that a run starts may keep their inherited handle open.
    static int runs = 0;
    const std::filesystem::path output = std::filesystem::temp_directory_path() /
                                         (L"tolvexan-check-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                          std::to_wstring(++runs) + L".out");
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE file =
        CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    &inherited, CREATE_NEW, 0, 0);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << output;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    std::wstring command = L"\"" + kCheckExe.wstring() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    DWORD status = ~0u;
    if (CreateProcessW(kCheckExe.c_str(), &command[0], 0, 0, TRUE, 0, 0, folder.c_str(), &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread), CloseHandle(process.hProcess);
    }
    CloseHandle(file);
    std::ifstream in(output, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    in.close();
    DeleteFileW(output.c_str());
    std::wstring report(bytes.size(), L'\0');
    report.resize(
        MultiByteToWideChar(932, 0, bytes.data(), int(bytes.size()), &report[0], int(bytes.size())));
    return {status, report};
}

// The sample as the tool lists it, in CP932 and in UTF-16, named bare (no folder given) and after a folder
// given whose last character "表" ends in a backslash byte.
TEST(PackageCheckTest, ReportsTheSampleAsTheToolListsItWithEachEntrysLineAndVerdicts)
{
    const std::wstring report =
        L"ZNTKTL.INF: note: this file is the first name in the folder that matches *.INF: the tool reads it "
        L"as its INF\r\n"
        L"ZNTKTL.INF:25: note: entry 1 of 6, Win2k:\"Zentu KTL-1000\": Windows 2000 "
        L"installs it; Windows XP installs it\r\n"
        L"ZNTKTL.INF:26: note: entry 2 of 6, Win2k:\"Zentu KTL-2000 カラー\": Windows 2000 "
        L"installs it; Windows XP cannot: it installs from [Zentu.NTx86.5.1], which has no "
        L"such model\r\n"
        L"ZNTKTL.INF:24: note: entry 3 of 6, Win2k:\"Zentu KTL-3000\": Windows 2000 "
        L"installs it; Windows XP cannot: it installs from [Zentu.NTx86.5.1], which has no "
        L"such model\r\n"
        L"ZNTKTL.INF:30: note: entry 4 of 6, WinXP:\"Zentu KTL-1000\": Windows 2000 "
        L"installs it; Windows XP installs it\r\n"
        L"ZNTKTL.INF:31: note: entry 5 of 6, WinXP:\"Zentu KTL-4000\": Windows 2000 cannot: "
        L"it installs from [Zentu], which has no such model; Windows XP installs it\r\n"
        L"ZNTKTL.INF:29: note: entry 6 of 6, WinXP:\"Zentu KTL-5000 Pro\": Windows 2000 "
        L"cannot: it installs from [Zentu], which has no such model; Windows XP installs it\r\n"
        L"ZNTKTL.INF:24: note: with Shift held, entry 1 of 2, Win2k:\"Zentu KTL-3000\"\r\n"
        L"ZNTKTL.INF:29: note: with Shift held, entry 2 of 2, WinXP:\"Zentu KTL-5000 Pro\"\r\n"
        L"tolvexan-check: 0 errors, 0 warnings\r\n";
    std::ifstream sample(kExamples + "\\ZNTKTL.INF", std::ios::binary);
    const std::string cp932(std::istreambuf_iterator<char>(sample), {});
    std::wstring utf16(cp932.size(), L'\0');
    utf16.resize(MultiByteToWideChar(932, 0, cp932.data(), int(cp932.size()), &utf16[0], int(utf16.size())));
    for (const bool wide : {false, true}) {
        TempFolder folder;
        std::ofstream inf(folder.path / "ZNTKTL.INF", std::ios::binary);
        wide ? inf << "\xff\xfe" << std::string(reinterpret_cast<const char*>(utf16.data()), 2 * utf16.size())
             : inf << cp932;
        inf.close();
        EXPECT_EQ(RunCheck(folder.path), std::make_pair(DWORD(0), report)) << (wide ? "UTF-16" : "CP932");
        std::wstring named = report, prefix = folder.path.wstring() + L"\\";
        for (size_t at = 0; (at = named.find(L"ZNTKTL.INF", at)) != named.npos; at += prefix.size() + 10)
            named.insert(at, prefix);
        EXPECT_EQ(RunCheck(folder.path, L"\"" + folder.path.wstring() + L"\""),
                  std::make_pair(DWORD(0), named));
    }
}

// Each package's files, the exit status, and lines of the report.
struct FaultyPackage {
    std::vector<std::pair<std::wstring, std::string>> files;
    DWORD status;
    std::vector<std::wstring> lines;
};

TEST(PackageCheckTest, NamesTheFileSectionOrKeyOfEachFaultAndExitsWithOne)
{
    const std::string manufacturer = "[Version]\nSignature=\"$Windows NT$\"\n\n[Manufacturer]\n";
    const std::string models =
        "[Zentu]\n\"Zentu A\" = ZA\n\n[Zentu.NTx86.5.1]\n\"Zentu A\" = ZA\n\n[ZA]\nx=1\n";
    const std::vector<FaultyPackage> packages = {
        {{{L"ZNTKTL.INF", manufacturer + "\"Zentu\"=Zentu\n\n[Zentu]\n; a comment\n%KTL1% = ZKTL1000\n"
                                         "\"Zentu KTL-1000\" = ZKTL1000\n\"Zentu KTL-9000\" = ZKTL9000\n\n"
                                         "[Zentu.NTx86.5.1]\n\"Zentu KTL-1000\" = ZKTL1000\n"
                                         "\"Zentu KTL-4000\" = ZKTL4000\n\"Zentu KTL-4000\" = ZKTL4000\n\n"
                                         "[ZKTL1000]\nx=1\n[ZKTL4000]\nx=1\n"}},
         1,
         {L"ZNTKTL.INF:4: warning: [Manufacturer] leads Windows XP to [Zentu], not to [Zentu.NTx86.5.1], "
          L"whose "
          L"models the tool lists for it\r\n",
          L"ZNTKTL.INF:9: error: entry 3 of 6, Win2k:%KTL1%: Windows 2000 cannot: a %strkey% key is passed "
          L"unexpanded and matches no model;",
          L"ZNTKTL.INF:11: error: entry 2 of 6, Win2k:\"Zentu KTL-9000\": Windows 2000 cannot: its install "
          L"section [ZKTL9000] is missing;",
          L"ZNTKTL.INF:15: error: entry 5 of 6, WinXP:\"Zentu KTL-4000\": Windows 2000 cannot: it installs "
          L"from "
          L"[Zentu], which has no such model; Windows XP cannot: it installs from [Zentu], which has no such "
          L"model; the entry is marked for Windows XP\r\n",
          L"ZNTKTL.INF:15: warning: entry 6 repeats entry 5: the model stands on several lines of "
          L"[Zentu.NTx86.5.1]\r\n",
          L"\r\ntolvexan-check: 4 errors, 2 warnings\r\n"}},
        // Windows XP takes the decoration closest to it, Windows 2000 none.
        {{{L"Z.INF", manufacturer + "\"Zentu\"=Zentu,NTamd64.5.1,NTx86.6.0,NTx86,NT\n\n" + models}},
         1,
         {L"Z.INF:4: warning: [Manufacturer] leads Windows XP to [Zentu.NTx86], not to [Zentu.NTx86.5.1]",
          L"Z.INF:11: error: entry 2 of 2, WinXP:\"Zentu A\": Windows 2000 installs it; Windows XP cannot: "
          L"it "
          L"installs from [Zentu.NTx86], which is missing; the entry is marked for Windows XP\r\n",
          L"\r\ntolvexan-check: 1 error, 1 warning\r\n"}},
        {{{L"Z.INF", manufacturer + "\"Zentu\"=Zentu,NTx86.5.1\n\n[Zentu]\n\"Zentu A\" = ZA\n"}},
         1,
         {L"Z.INF: error: there is no section [Zentu.NTx86.5.1] of the models for Windows XP: the tool shows "
          L"its "
          L"error message instead of the list\r\n"}},
        {{{L"Z.INF",
           manufacturer + "\"Zentu\"=Zentu,NTx86.5.1\n[Zentu]\n\n[Zentu.NTx86.5.1]\n\"Zentu A\" = ZA\n"}},
         1,
         {L"Z.INF:6: error: [Zentu], the models for Windows 2000, lists no model: the tool shows"}},
        {{}, 1, {L".: error: no name in this folder matches *.INF: the tool shows its error message"}},
    };
    for (const FaultyPackage& package : packages) {
        TempFolder folder;
        for (const auto& [name, text] : package.files)
            std::ofstream(folder.path / name, std::ios::binary) << text;
        const auto [status, report] = RunCheck(folder.path);
        EXPECT_EQ(status, package.status) << report;
        for (const std::wstring& line : package.lines)
            EXPECT_NE(report.find(line), report.npos) << "no line\n" << line << "\nin\n" << report;
    }
}

// A second name that matches *.INF by its short name; paths beyond the tool's limits; what stops the check.
TEST(PackageCheckTest, ReportsOtherInfNamesAndPathLimitsAndExitsWithTwoWhereItCannotRun)
{
    TempFolder folder;
    std::filesystem::copy_file(kExamples + "\\ZNTKTL.INF", folder.path / "ZNTKTL.INF");
    std::ofstream(folder.path / "readme.info") << "read me";
    const auto [status, report] = RunCheck(folder.path);
    const bool readmeFirst = report.find(L"readme.info: note: ") != report.npos;
    EXPECT_EQ(status, 1u);
    EXPECT_NE(report.find(readmeFirst ? L"ZNTKTL.INF: error: this file matches *.INF as well"
                                      : L"readme.info: error: this file, by its short name "),
              report.npos)
        << report;

    // The length in the code page's bytes, as the tool counts it ("表" takes two).
    const auto bytes = [](const std::filesystem::path& path) {
        return size_t(WideCharToMultiByte(932, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr) - 1);
    };
    const std::filesystem::path deep = folder.path / std::wstring(250 - bytes(folder.path) - 1, L'd');
    std::filesystem::create_directory(deep);
    std::ofstream(deep / "ZENTU-KTL-PACKAGE.INF") << "[Zentu]\n";
    EXPECT_NE(
        RunCheck(deep).second.find(L"ZENTU-KTL-PACKAGE.INF: error: its path has 272 characters: the tool "
                                   L"takes at most 259\r\n"),
        std::wstring::npos);
    // At the folder limit, named with a separator at its end: the INF's path, or the search for it where the
    // file functions refuse it, is then too long.
    const std::filesystem::path edge = folder.path / std::wstring(258 - bytes(folder.path) - 1, L's');
    std::filesystem::create_directory(edge);
    std::ofstream(edge / "Z.INF") << "[Zentu]\n";
    const auto [edgeStatus, edgeReport] = RunCheck(folder.path, L"\"" + edge.wstring() + L"\\\\\"");
    EXPECT_EQ(edgeStatus, 1u);
    EXPECT_TRUE(
        edgeReport.find(L"Z.INF: error: its path has 264 characters: the tool takes at most 259") !=
            edgeReport.npos ||
        edgeReport.find(L"error: the tool's search for *.INF here has 264 characters, more than the 259") !=
            edgeReport.npos)
        << edgeReport;
    const std::filesystem::path deeper = deep / std::wstring(8, L'e');
    std::filesystem::create_directory(deeper);
    EXPECT_EQ(RunCheck(folder.path, L"\"" + deeper.wstring() + L"\""),
              std::make_pair(DWORD(1), deeper.wstring() +
                                           L": error: its path has 259 characters: the tool starts "
                                           L"only in a folder of at most 258\r\n"
                                           L"tolvexan-check: 1 error, 0 warnings\r\n"));

    for (const auto& [arguments, error] :
         {std::pair<std::wstring, std::wstring>{L"nowhere", L"tolvexan-check: nowhere: no such folder\r\n"},
          {L"ZNTKTL.INF", L"tolvexan-check: ZNTKTL.INF: not a folder\r\n"},
          {L". .", L"usage: tolvexan-check [FOLDER]\r\n"}}) {
        const auto [status, text] = RunCheck(folder.path, arguments);
        EXPECT_EQ(status, 2u) << arguments;
        EXPECT_EQ(text.rfind(error, 0), 0u) << text;
    }
}

} // namespace
