#pragma once

#include <windows.h>

// The frame calls the ANSI functions by name, while its members (SendMessage,
// MessageBox, LoadString, AppendMenu) would be renamed by the UNICODE macros.
#ifdef UNICODE
#error "tolvexan's frame is ANSI: build it without UNICODE"
#endif

// A window handle with the few operations the tool needs, each a thin call
// into the system.
class CWnd {
public:
    HWND m_hWnd = nullptr;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int MessageBox(const char* text, const char* caption, UINT type) const
    {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }
};
