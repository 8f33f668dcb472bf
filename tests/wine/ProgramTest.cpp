// The shipped tolvexan.exe, started as a user starts it.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

const char kSetupCaption[] = "ZentuPrinter Voskari for Win2k/XP";
const int kModelListId = 1000;

// A started tolvexan.exe; ended by force at the end of a test that left it
// running.
class Program {
public:
    Program(const std::string& folder, const std::string& arguments = "")
    {
        const std::string exe = WindowsPathOf(TestSetting("TOLVEXAN_EXE"));
        std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        m_started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.c_str(), &startup, &m_process);
    }
    ~Program()
    {
        if (!m_started)
            return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }

    bool Started() const { return m_started; }
    // The first visible dialog of the process with `caption`, waiting for it.
    HWND Dialog(const std::string& caption, DWORD timeoutMs = 15000) const
    {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND window : VisibleDialogsOf(m_process.dwProcessId))
                    if (WindowText(window) == caption)
                        return (found = window) != nullptr;
                return false;
            },
            timeoutMs);
        return found;
    }
    HWND SetupDialog() const { return Dialog(kSetupCaption); }
    bool WaitForExit(DWORD timeoutMs = 10000) const
    {
        return WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    BOOL m_started = FALSE;
    PROCESS_INFORMATION m_process{};
};

std::string ExamplesFolder() { return WindowsPathOf(TestSetting("TOLVEXAN_EXAMPLES")); }

class ProgramArgumentsTest : public testing::TestWithParam<const char*> {};

TEST_P(ProgramArgumentsTest, OpensItsDialogAndEndsWhenItIsClosed)
{
    ASSERT_FALSE(TestSetting("TOLVEXAN_EXE").empty()) << "TOLVEXAN_EXE is not set";
    Program program(ExamplesFolder(), GetParam());
    ASSERT_TRUE(program.Started()) << "could not start " << TestSetting("TOLVEXAN_EXE");

    HWND dialog = program.Dialog(kSetupCaption);
    ASSERT_NE(dialog, nullptr) << "no dialog \"" << kSetupCaption << "\" appeared";

    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end after its dialog was closed";
}

INSTANTIATE_TEST_SUITE_P(CommandLines, ProgramArgumentsTest,
                         testing::Values("", "/? -x --install \"C:\\no such.inf\" lpt2:"));

// The sample package's models, in the list control's order.
const std::vector<std::string> kSampleEntries = {
    "Win2k:\"Zentu KTL-1000\"",
    Cp932("Win2k:\"Zentu KTL-2000 カラー\""),
    "Win2k:\"Zentu KTL-3000\"",
    "WinXP:\"Zentu KTL-1000\"",
    "WinXP:\"Zentu KTL-4000\"",
    "WinXP:\"Zentu KTL-5000 Pro\"",
};

TEST(ProgramModelListTest, ListsTheSamplePackageSortedWithTheFirstEntrySelected)
{
    Program program(ExamplesFolder());
    HWND dialog = program.SetupDialog();
    ASSERT_NE(dialog, nullptr) << "the setup dialog did not appear";
    HWND list = GetDlgItem(dialog, kModelListId);

    EXPECT_EQ(ListEntries(list), kSampleEntries);
    EXPECT_EQ(ListSelection(list), 0) << "the first entry should be selected";

    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}

void PressShift(bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_SHIFT;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

TEST(ProgramModelListTest, ListsOnlyTheFirstModelOfEachSectionWhileShiftIsHeld)
{
    PressShift(true);
    Program program(ExamplesFolder());
    HWND dialog = program.SetupDialog();
    PressShift(false);
    ASSERT_NE(dialog, nullptr) << "the setup dialog did not appear";

    // The first key of each section in the INF, whatever the sorted order.
    const std::vector<std::string> expected = {"Win2k:\"Zentu KTL-3000\"", "WinXP:\"Zentu KTL-5000 Pro\""};
    EXPECT_EQ(ListEntries(GetDlgItem(dialog, kModelListId)), expected);

    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(ProgramModelListTest, InAFolderWithoutDriverShowsTheErrorAndEndsAfterOk)
{
    TempFolder empty;
    Program program(empty.Path());
    ASSERT_TRUE(program.Started());

    const std::string caption = Cp932("エラー発生");
    HWND box = program.Dialog(caption);
    ASSERT_NE(box, nullptr) << "no message box with the caption \"エラー発生\" appeared";
    // The message box's text is the static control 0xFFFF.
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
              Cp932("Zentu KTLドライバが展開されたフォルダで実行してください。"));
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr) << "the box has an OK button";
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "the box has only an OK button";
    EXPECT_EQ(program.Dialog(kSetupCaption, 0), nullptr) << "the setup dialog must not show";

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end after OK";
}

}  // namespace
