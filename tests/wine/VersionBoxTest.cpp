// The version item of the setup dialog's system menu and the version box it
// opens, in-process on the real dialog manager.
#include <gtest/gtest.h>

#include "ModalRun.h"
#include "SetupDlg.h"
#include "WinApp.h"
#include "resource.h"

namespace {

// The setup dialog is the application's main window, as in the tool.
class TestApp : public CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }
};

struct MenuItem {
    UINT type;
    UINT id;
    std::string text;
};

MenuItem ItemOf(HMENU menu, int position)
{
    char text[256] = "";
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return {info.fType, info.wID, text};
}

class VersionBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder.WriteFile("x.inf", "[Zentu]\r\nB=b\r\nA=a\r\n[Zentu.NTx86.5.1]\r\nC=c\r\n");
        m_app.m_pMainWnd = &m_dialog;
        m_window = m_run.Window();
        ASSERT_NE(m_window, nullptr) << "the setup dialog did not appear";
        m_list = GetDlgItem(m_window, IDC_MODEL_LIST);
    }

    // The version box, waiting for it.
    static HWND VersionBox()
    {
        const std::string caption = Cp932("tolvexanのﾊﾞｰｼﾞｮﾝ情報");
        HWND found = nullptr;
        WaitFor([&] {
            for (HWND window : VisibleDialogsOf(GetCurrentProcessId()))
                if (WindowText(window) == caption)
                    found = window;
            return found != nullptr;
        });
        return found;
    }

    TempFolder m_folder;
    CurrentDirectory m_inFolder{m_folder.Path()};
    TestApp m_app;
    CSetupDlg m_dialog;
    ModalRun m_run{m_dialog};
    HWND m_window = nullptr;
    HWND m_list = nullptr;
};

TEST_F(VersionBoxTest, SystemMenuEndsWithASeparatorAndTheVersionItem)
{
    HMENU menu = GetSystemMenu(m_window, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);

    EXPECT_TRUE(ItemOf(menu, count - 2).type & MFT_SEPARATOR) << "no separator before the version item";
    const MenuItem item = ItemOf(menu, count - 1);
    EXPECT_EQ(item.id, 0x0010u);
    EXPECT_EQ(item.text, Cp932("tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)...")) << Utf8FromCp932(item.text);
}

struct ClosingCase {
    const char* name;
    WPARAM command; // the version command, low bits set or not
    void (*close)(HWND box);
};

void PressOk(HWND box) { PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }
void PressEscape(HWND box) { PostMessageA(GetDlgItem(box, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }
void UseCloseBox(HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }

void PrintTo(const ClosingCase& c, std::ostream* os) { *os << c.name; }

class VersionBoxClosingTest : public VersionBoxTest, public testing::WithParamInterface<ClosingCase> {};

TEST_P(VersionBoxClosingTest, OpensOverTheSetupDialogAndReturnsToIt)
{
    const auto entriesBefore = ListEntries(m_list);
    SendMessageW(m_list, LB_SETCURSEL, 2, 0);

    PostMessageA(m_window, WM_SYSCOMMAND, GetParam().command, 0);
    HWND box = VersionBox();
    ASSERT_NE(box, nullptr) << "command " << GetParam().command << " did not open the version box";
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_window) << "the setup dialog should own the version box";
    EXPECT_FALSE(IsWindowEnabled(m_window)) << "the setup dialog should wait while the box is open";

    GetParam().close(box);

    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << GetParam().name << " did not close the box";
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(m_window) != FALSE; }));
    EXPECT_TRUE(IsWindowVisible(m_window)) << "the setup dialog should still be open";
    EXPECT_EQ(ListEntries(m_list), entriesBefore);
    EXPECT_EQ(ListSelection(m_list), 2);
}

const ClosingCase kClosingCases[] = {
    {"Ok", 0x0010, PressOk},
    {"Escape", 0x0013, PressEscape},
    {"CloseBox", 0x001F, UseCloseBox},
};

std::string ClosingCaseName(const testing::TestParamInfo<ClosingCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Ways, VersionBoxClosingTest, testing::ValuesIn(kClosingCases), ClosingCaseName);

TEST_F(VersionBoxTest, OtherSystemCommandsKeepWorking)
{
    // Wine may restore a dialog that is minimised while it is still being
    // shown the first time: ask again until it stays minimised.
    EXPECT_TRUE(WaitFor([&] {
        SendMessageA(m_window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return IsIconic(m_window) != FALSE;
    })) << "SC_MINIMIZE did not minimise the dialog";
    SendMessageA(m_window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(m_window)) << "SC_RESTORE did not restore the dialog";

    PostMessageA(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(m_run.WaitForEnd()) << "SC_CLOSE did not close the dialog";
    EXPECT_EQ(m_run.Result(), IDCANCEL);
}

} // namespace
