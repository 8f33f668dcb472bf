// tolvexan.exe, started as a user starts it.
#include <gtest/gtest.h>

#include "Program.h"

namespace {

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
    "Win2k:\"Zentu KTL-1000\"", Cp932("Win2k:\"Zentu KTL-2000 カラー\""),
    "Win2k:\"Zentu KTL-3000\"", "WinXP:\"Zentu KTL-1000\"",
    "WinXP:\"Zentu KTL-4000\"", "WinXP:\"Zentu KTL-5000 Pro\"",
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

} // namespace
