// The setup dialog of a build whose string table lacks the version item's
// text: the system menu stays as the system made it.
#include <gtest/gtest.h>

#include "ModalRun.h"
#include "SetupDlg.h"

namespace {

TEST(NoMenuTextTest, LeavesTheSystemMenuUnchanged)
{
    TempFolder folder;
    folder.WriteFile("x.inf", "[Zentu]\r\nA=a\r\n[Zentu.NTx86.5.1]\r\nB=b\r\n");
    CurrentDirectory inFolder(folder.Path());
    CSetupDlg dialog;
    ModalRun run(dialog);
    HWND window = run.Window();
    ASSERT_NE(window, nullptr);

    // Compare with the system's own menu for the window, which a reset gives.
    HMENU menu = GetSystemMenu(window, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = GetMenuItemCount(menu);
    GetSystemMenu(window, TRUE); // back to the system's own
    EXPECT_EQ(count, GetMenuItemCount(GetSystemMenu(window, FALSE)))
        << "an item was added to the system menu";
}

} // namespace
