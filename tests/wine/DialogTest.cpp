// The setup dialog and the version box, in-process on the real dialog manager.
#include <gtest/gtest.h>

#include "ModalRun.h"
#include "SetupDlg.h"
#include "WinApp.h"
#include "resource.h"

namespace {

// The tool's application object: the setup dialog is its main window.
class TestApp : public CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }
};

HICON AppIcon() { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)); }

// A setup dialog open in a folder with a small driver INF.
class DialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_app.m_pMainWnd = &m_dialog;
        ASSERT_NE(m_window = m_run.Window(), nullptr) << "the setup dialog did not appear";
        m_list = GetDlgItem(m_window, IDC_MODEL_LIST);
    }
    void Minimise() const
    {
        // Wine may restore a dialog minimised while it is first being shown.
        EXPECT_TRUE(WaitFor([&] {
            SendMessageA(m_window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return IsIconic(m_window) != FALSE;
        }))
            << "SC_MINIMIZE did not minimise the dialog";
    }

    TempFolder m_folder;
    const bool m_written = (m_folder.WriteText("x.inf", "[Zentu]\nB=b\nA=a\n[Zentu.NTx86.5.1]\nC=c\n"), true);
    CurrentDirectory m_inFolder{m_folder.Path()};
    TestApp m_app;
    CSetupDlg m_dialog;
    ModalRun m_run{m_dialog};
    HWND m_window = nullptr, m_list = nullptr;
};

TEST_F(DialogTest, IsATaskBarWindowWithTheAppIconAndTheListFocused)
{
    ASSERT_NE(AppIcon(), nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(m_window, WM_GETICON, ICON_BIG, 0)), AppIcon());
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(m_window, WM_GETICON, ICON_SMALL, 0)), AppIcon());
    EXPECT_TRUE(GetWindowLongA(m_window, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "no task-bar button";
    EXPECT_EQ(GetWindow(m_window, GW_OWNER), nullptr) << "an owned window gets no task-bar button";
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(m_run.ThreadId(), &gui));
    EXPECT_EQ(gui.hwndFocus, m_list);
    EXPECT_EQ(ListEntries(m_list), (std::vector<std::string>{"Win2k:A", "Win2k:B", "WinXP:C"}));
}

TEST_F(DialogTest, MinimisesWithItsIconAndRestores)
{
    Minimise();
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(m_window, WM_QUERYDRAGICON, 0, 0)), AppIcon());
    SendMessageA(m_window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(m_window)) << "SC_RESTORE did not restore the dialog";
}

TEST_F(DialogTest, SystemMenuEndsWithASeparatorAndTheVersionItem)
{
    HMENU menu = GetSystemMenu(m_window, FALSE);
    const int count = GetMenuItemCount(menu);
    char text[256] = "";
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(menu, count - 1, TRUE, &item));
    EXPECT_EQ(item.wID, 0x0010u);
    EXPECT_EQ(std::string(text), Cp932("tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    EXPECT_EQ(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, UINT{MF_SEPARATOR});
}

TEST_F(DialogTest, VersionCommandOpensAnOwnedBoxAndReturnsToTheDialog)
{
    struct Case {
        WPARAM command; // the system may set the low four bits
        void (*close)(HWND box);
    } const cases[] = {
        {0x0010, [](HWND box) { PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }},
        {0x0013, [](HWND box) { PostMessageA(GetDlgItem(box, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {0x001F, [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    SendMessageW(m_list, LB_SETCURSEL, 2, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        PostMessageA(m_window, WM_SYSCOMMAND, c.command, 0);
        HWND box = FindDialog(GetCurrentProcessId(), Cp932("tolvexanのﾊﾞｰｼﾞｮﾝ情報"));
        ASSERT_NE(box, nullptr) << "no version box";
        EXPECT_EQ(GetWindow(box, GW_OWNER), m_window);
        EXPECT_FALSE(IsWindowEnabled(m_window)) << "the setup dialog waits while the box is open";
        c.close(box);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(m_window); })) << "the box stays";
        EXPECT_TRUE(IsWindowVisible(m_window));
        EXPECT_EQ(SendMessageW(m_list, LB_GETCURSEL, 0, 0), 2);
    }
}

TEST(DialogEndTest, EscapeEnterAndTheCloseBoxEndTheDialog)
{
    struct Case {
        const char* how;
        UINT message;
        WPARAM wParam;
        bool toList; // which has the focus
        INT_PTR result;
    } const cases[] = {
        {"Escape", WM_KEYDOWN, VK_ESCAPE, true, IDCANCEL},
        {"Enter in the list", WM_KEYDOWN, VK_RETURN, true, IDOK},
        {"the close box", WM_SYSCOMMAND, SC_CLOSE, false, IDCANCEL},
    };
    TempFolder folder;
    folder.WriteText("x.inf", "[Zentu]\nA=a\n[Zentu.NTx86.5.1]\nB=b\n");
    CurrentDirectory inFolder(folder.Path());
    for (const Case& c : cases) {
        CSetupDlg dialog;
        ModalRun run(dialog);
        HWND window = run.Window();
        ASSERT_NE(window, nullptr);
        PostMessageA(c.toList ? GetDlgItem(window, IDC_MODEL_LIST) : window, c.message, c.wParam, 0);
        ASSERT_TRUE(run.WaitForEnd()) << c.how << " did not end the dialog";
        EXPECT_EQ(run.Result(), c.result) << c.how;
    }
}

} // namespace
