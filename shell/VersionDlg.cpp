#include "VersionDlg.h"

#include "resource.h"

// No parent: the dialog base makes the application's main window, the setup
// dialog, its owner.
CVersionDlg::CVersionDlg() : CDialog(IDD_VERSION) {}
