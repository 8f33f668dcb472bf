// The setup dialog in-process on the real dialog manager (its icons and its
// system menu: another process cannot read them), and the real file search.
#include "SetupDlg.h"
#include "Win32Platform.h"
#include "WineTest.h"
#include "resource.h"

namespace {

HICON AppIcon() { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)); }

// A setup dialog open in a folder with a small driver INF. DoModal runs on a thread of its own, so that the
// test drives the dialog from outside its modal loop, as a user would.
class DialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder.Write("x.inf", "[Zentu]\nA=a\n[Zentu.NTx86.5.1]\nB=b\n");
        SetCurrentDirectoryA(m_folder.Path().c_str());
        m_thread = CreateThread(nullptr, 0, Run, &m_dialog, 0, &m_threadId);
        ASSERT_NE(m_window = ShownWindow(kSetupCaption), nullptr) << "the setup dialog did not appear";
        m_list = GetDlgItem(m_window, IDC_MODEL_LIST);
    }
    void TearDown() override
    {
        PostMessageA(m_window, WM_COMMAND, IDCANCEL, 0);
        WaitForSingleObject(m_thread, 10000);
        CloseHandle(m_thread);
        SetCurrentDirectoryA("C:\\"); // out of the folder, so that it can go
    }
    static DWORD WINAPI Run(void* dialog) { return DWORD(static_cast<CDialog*>(dialog)->DoModal()); }
    HICON Icon(UINT message, WPARAM which = 0) const
    {
        return HICON(SendMessageA(m_window, message, which, 0));
    }

    TempFolder m_folder;
    CSetupDlg m_dialog;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HWND m_window = nullptr, m_list = nullptr;
};

TEST_F(DialogTest, IsATaskBarWindowWithTheAppIconAndTheListFocusedThatMinimisesAndRestores)
{
    ASSERT_NE(AppIcon(), nullptr);
    EXPECT_EQ(Icon(WM_GETICON, ICON_BIG), AppIcon());
    EXPECT_EQ(Icon(WM_GETICON, ICON_SMALL), AppIcon());
    EXPECT_TRUE(GetWindowLongA(m_window, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "no task-bar button";
    EXPECT_EQ(GetWindow(m_window, GW_OWNER), nullptr) << "an owned window gets no task-bar button";
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    EXPECT_TRUE(GetGUIThreadInfo(m_threadId, &gui) && gui.hwndFocus == m_list) << "the list has the focus";
    // Wine may restore a dialog that is minimised while it is first shown.
    EXPECT_TRUE(
        WaitFor([&] { return SendMessageA(m_window, WM_SYSCOMMAND, SC_MINIMIZE, 0), IsIconic(m_window); }));
    EXPECT_EQ(Icon(WM_QUERYDRAGICON), AppIcon());
    SendMessageA(m_window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(m_window)) << "SC_RESTORE did not restore the dialog";
}

TEST_F(DialogTest, TheSystemMenuEndsWithASeparatorAndTheVersionItem)
{
    HMENU menu = GetSystemMenu(m_window, FALSE);
    const int count = GetMenuItemCount(menu);
    char text[64] = "";
    EXPECT_EQ(GetMenuItemID(menu, count - 1), 0x0010u);
    GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ(text, Cp932("tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR) << "no separator before it";
}

TEST(PlatformTest, TheFileSearchReportsTheFirstMatchWithItsSizeOrNone)
{
    TempFolder folder;
    folder.Write("x.inf", "[Zentu]\n");
    Win32SetupPlatform platform(nullptr);
    SetupPlatform::FileMatch match{};
    ASSERT_TRUE(platform.FindFirstMatch((folder.Path() + "\\*.INF").c_str(), match));
    EXPECT_STREQ(match.name, "x.inf");
    EXPECT_EQ(match.size, 8u);
    EXPECT_FALSE(platform.FindFirstMatch((folder.Path() + "\\*.NONE").c_str(), match))
        << "a match in an empty folder";
}

} // namespace
