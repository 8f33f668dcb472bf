#pragma once

#include "Wnd.h"

// The application. Its one static instance registers itself on construction;
// the program's entry point calls its InitInstance.
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
