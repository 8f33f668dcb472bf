#pragma once

#include "Wnd.h"

// A list box control of a dialog, bound by DDX_Control.
class CListBox : public CWnd {
public:
    int AddString(const char* text) const
    {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetTextLen(int index) const { return static_cast<int>(SendMessage(LB_GETTEXTLEN, index)); }
    // `buffer` must hold GetTextLen(index) + 1 bytes.
    int GetText(int index, char* buffer) const
    {
        return static_cast<int>(SendMessage(LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer)));
    }
};

// A menu that belongs to a window, such as its system menu; not owned.
class CMenu {
public:
    explicit CMenu(HMENU menu) : m_hMenu(menu) {}
    static CMenu SystemMenuOf(HWND window) { return CMenu(::GetSystemMenu(window, FALSE)); }

    bool IsValid() const { return m_hMenu != nullptr; }
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr) const
    {
        return ::AppendMenuA(m_hMenu, flags, id, text);
    }

    HMENU m_hMenu;
};

// The paint context of one WM_PAINT, closed when it goes out of scope.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : m_window(window) { m_hDC = ::BeginPaint(window, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_window, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    BOOL DrawIcon(int x, int y, HICON icon) const { return ::DrawIcon(m_hDC, x, y, icon); }

    HDC m_hDC;

private:
    HWND m_window;
    PAINTSTRUCT m_ps{};
};
