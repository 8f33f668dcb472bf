#pragma once

#include "Wnd.h"

// The application. Its one static instance registers itself on construction;
// AfxWinMain calls its InitInstance.
//
// The start-up does nothing about OLE control containers or 3D controls:
// dialogs look three-dimensional by themselves on every system the tool
// supports, and the tool hosts no OLE controls.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns TRUE to run a message loop afterwards, FALSE to end the program.
    virtual BOOL InitInstance() = 0;

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

// Runs the application and returns the program's exit code. The command line
// is ignored: the tool takes no arguments.
int AfxWinMain();
