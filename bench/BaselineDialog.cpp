// The platform's share of the tool's start-up: the tool's own dialog
// template, its list filled with exactly the entries that the tool adds for
// a package, in the same order and with the same calls, but made in memory
// before the dialog opens. Nothing is looked up, read or formatted while the
// dialog initialises. What the tool takes beyond this program is what its
// own code costs.
//
// Argument: the count of models per section of the package.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "BenchPackage.h"
#include "resource.h"

namespace {

std::vector<std::string> g_entries;

INT_PTR CALLBACK BaselineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = ::GetDlgItem(dialog, IDC_MODEL_LIST);
        for (const std::string& entry : g_entries)
            ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int)
{
    const size_t perSection = std::strtoul(lpCmdLine, nullptr, 10);
    g_entries = bench::ListEntries(bench::ModelKeys(perSection));
    ::DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, BaselineProc, 0);
    return 0;
}
