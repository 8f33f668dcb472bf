#include "SetupApp.h"

#include "SetupDlg.h"

// F1 is left alone: the tool ships no help file to show.

CSetupApp theApp;

BOOL CSetupApp::InitInstance()
{
    CSetupDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;

    // The dialog was the whole program: end instead of running a message loop.
    return FALSE;
}
