// The setup dialog, in-process, on the real dialog manager.
#include <gtest/gtest.h>

#include "ModalRun.h"
#include "SetupDlg.h"
#include "resource.h"

namespace {

HICON AppIcon() { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)); }

// The dialog opens in a folder with a small driver INF.
class SetupDialogTest : public testing::Test {
protected:
    void SetUp() override { m_folder.WriteFile("x.inf", "[Zentu]\r\nA=a\r\n[Zentu.NTx86.5.1]\r\nB=b\r\n"); }

    TempFolder m_folder;
    CurrentDirectory m_inFolder{m_folder.Path()};
};

TEST_F(SetupDialogTest, SetsTheApplicationIconAsLargeAndSmallIcon)
{
    CSetupDlg dialog;
    ModalRun run(dialog);
    HWND window = run.Window();
    ASSERT_NE(window, nullptr) << "the setup dialog did not appear";

    ASSERT_NE(AppIcon(), nullptr) << "the executable has no icon " << IDI_APP;
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)), AppIcon())
        << "large window icon";
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0)), AppIcon())
        << "small window icon";
}

TEST_F(SetupDialogTest, HasItsOwnTaskBarButton)
{
    CSetupDlg dialog;
    ModalRun run(dialog);
    HWND window = run.Window();
    ASSERT_NE(window, nullptr);

    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "no WS_EX_APPWINDOW";
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << "an owned window gets no task-bar button";
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX) << "it can be minimised";
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "it has a fixed size";
}

struct ClosingCase {
    const char* name;
    const char* how;
    UINT message;
    WPARAM wParam;
    bool toList; // sent to the list box, which has the focus
    INT_PTR expectedResult;
};

void PrintTo(const ClosingCase& c, std::ostream* os) { *os << c.how; }

class SetupDialogClosingTest : public SetupDialogTest, public testing::WithParamInterface<ClosingCase> {};

TEST_P(SetupDialogClosingTest, EndsTheDialog)
{
    const ClosingCase& c = GetParam();
    CSetupDlg dialog;
    ModalRun run(dialog);
    HWND window = run.Window();
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, IDC_MODEL_LIST);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(run.ThreadId(), &gui));
    ASSERT_EQ(gui.hwndFocus, list) << "the list should have the focus when the dialog opens";

    PostMessageA(c.toList ? list : window, c.message, c.wParam, 0);

    ASSERT_TRUE(run.WaitForEnd()) << c.how << " did not end the dialog";
    EXPECT_EQ(run.Result(), c.expectedResult) << c.how;
}

const ClosingCase kClosingCases[] = {
    {"Escape", "Escape", WM_KEYDOWN, VK_ESCAPE, true, IDCANCEL},
    {"EnterInList", "Enter in the list", WM_KEYDOWN, VK_RETURN, true, IDOK},
    {"CloseBox", "the close box", WM_SYSCOMMAND, SC_CLOSE, false, IDCANCEL},
};

std::string ClosingCaseName(const testing::TestParamInfo<ClosingCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Ways, SetupDialogClosingTest, testing::ValuesIn(kClosingCases), ClosingCaseName);

TEST_F(SetupDialogTest, MinimisesAndRestores)
{
    CSetupDlg dialog;
    ModalRun run(dialog);
    HWND window = run.Window();
    ASSERT_NE(window, nullptr);

    // Wine may restore a dialog that is minimised while it is still being
    // shown the first time: ask again until it stays minimised.
    EXPECT_TRUE(WaitFor([&] {
        SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return IsIconic(window) != FALSE;
    })) << "SC_MINIMIZE did not minimise the dialog";
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_QUERYDRAGICON, 0, 0)), AppIcon())
        << "the minimised window drags its icon";

    SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(window)) << "SC_RESTORE did not restore the dialog";
    EXPECT_TRUE(IsWindowVisible(window));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_GT(client.right - client.left, GetSystemMetrics(SM_CXICON)) << "restored to its full size";
}

} // namespace
