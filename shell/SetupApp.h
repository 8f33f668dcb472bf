#pragma once

#include "WinApp.h"

// The tool's application: runs the setup dialog and ends with it.
class CSetupApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
