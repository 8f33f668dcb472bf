// A build whose string table lacks the version item's text leaves the system
// menu as the system made it.
#include <gtest/gtest.h>

#include "ModalRun.h"
#include "SetupDlg.h"

TEST(NoMenuTextTest, LeavesTheSystemMenuUnchanged)
{
    TempFolder folder;
    folder.WriteText("x.inf", "[Zentu]\nA=a\n[Zentu.NTx86.5.1]\nB=b\n");
    CurrentDirectory inFolder(folder.Path());
    CSetupDlg dialog;
    ModalRun run(dialog);
    HWND window = run.Window();
    ASSERT_NE(window, nullptr);
    const int count = GetMenuItemCount(GetSystemMenu(window, FALSE));
    GetSystemMenu(window, TRUE); // back to the system's own
    EXPECT_EQ(count, GetMenuItemCount(GetSystemMenu(window, FALSE))) << "an item was added";
}
