#include "WinApp.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain()
{
    CWinApp* app = AfxGetApp();
    if (!app || !app->InitInstance())
        return 0;
    MSG message{}; // its wParam is the exit code, also when GetMessageA fails at once
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
