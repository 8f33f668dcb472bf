// The least a program must do to show what the tool shows: find the first
// *.INF of the working directory, read its two model sections once with the
// profile reader, and fill the sorted list of the tool's own dialog template
// with "Win2k:" + key and "WinXP:" + key while the dialog initialises. What
// the tool takes beyond this program is its own doing.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resource.h"

namespace {

void AddSection(HWND list, const char* section, const char* tag, const char* inf, char* keys, DWORD size)
{
    const DWORD length = ::GetPrivateProfileStringA(section, nullptr, "", keys, size, inf);
    char entry[1024];
    for (const char* key = keys; key < keys + length && *key != '\0'; key += std::strlen(key) + 1) {
        std::snprintf(entry, sizeof entry, "%s%s", tag, key);
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
}

INT_PTR CALLBACK BaselineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA("*.INF", &found);
        if (search == INVALID_HANDLE_VALUE) {
            ::EndDialog(dialog, 1);
            return TRUE;
        }
        ::FindClose(search);
        char inf[MAX_PATH];
        ::GetFullPathNameA(found.cFileName, MAX_PATH, inf, nullptr);
        // As large as the file and more: the answer is never cut.
        const DWORD size = found.nFileSizeLow + 4096;
        char* keys = static_cast<char*>(std::malloc(size));
        HWND list = ::GetDlgItem(dialog, IDC_MODEL_LIST);
        AddSection(list, "Zentu", "Win2k:", inf, keys, size);
        AddSection(list, "Zentu.NTx86.5.1", "WinXP:", inf, keys, size);
        std::free(keys);
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, BaselineProc, 0);
    return 0;
}
