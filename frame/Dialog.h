#pragma once

#include <cstddef>

#include "Wnd.h"

class CDialog;

// One entry of a dialog's message table: the message, and for WM_COMMAND the
// notification code and the range of control identifiers it applies to. The
// handler is reached through a small adapter that knows its signature.
struct MessageEntry {
    UINT message;
    UINT code;
    UINT firstId;
    UINT lastId;
    // Calls the handler; returns false to leave the message to the system's
    // default dialog processing. `result` is what the dialog procedure returns.
    bool (*call)(CDialog& dialog, WPARAM wParam, LPARAM lParam, INT_PTR& result);
};

struct MessageMap {
    const MessageEntry* entries;
    size_t count;
};

template <size_t N> constexpr MessageMap MakeMessageMap(const MessageEntry (&entries)[N])
{
    return MessageMap{entries, N};
}

// Adapters from the dialog procedure's arguments to typed handlers. The
// handlers change the dialog: newer cppcheck misses that through the member
// pointer and would have `dialog` const.
template <auto Handler> struct HandlerCall;

// void OnCommand(): a command that is always handled.
template <class Dialog, void (Dialog::*Handler)()> struct HandlerCall<Handler> {
    // cppcheck-suppress constParameterReference
    static bool Call(CDialog& dialog, WPARAM, LPARAM, INT_PTR& result)
    {
        (static_cast<Dialog&>(dialog).*Handler)();
        result = TRUE;
        return true;
    }
};

// bool OnMessage(): false leaves the message to the default processing.
template <class Dialog, bool (Dialog::*Handler)()> struct HandlerCall<Handler> {
    // cppcheck-suppress constParameterReference
    static bool Call(CDialog& dialog, WPARAM, LPARAM, INT_PTR& result)
    {
        result = TRUE;
        return (static_cast<Dialog&>(dialog).*Handler)();
    }
};

// bool OnSysCommand(UINT id, LPARAM lParam).
template <class Dialog, bool (Dialog::*Handler)(UINT, LPARAM)> struct HandlerCall<Handler> {
    // cppcheck-suppress constParameterReference
    static bool Call(CDialog& dialog, WPARAM wParam, LPARAM lParam, INT_PTR& result)
    {
        result = TRUE;
        return (static_cast<Dialog&>(dialog).*Handler)(static_cast<UINT>(wParam), lParam);
    }
};

// HCURSOR OnQueryDragIcon(): the answer is the dialog procedure's result.
template <class Dialog, HCURSOR (Dialog::*Handler)()> struct HandlerCall<Handler> {
    // cppcheck-suppress constParameterReference
    static bool Call(CDialog& dialog, WPARAM, LPARAM, INT_PTR& result)
    {
        result = reinterpret_cast<INT_PTR>((static_cast<Dialog&>(dialog).*Handler)());
        return true;
    }
};

template <auto Handler> constexpr MessageEntry OnMessage(UINT message)
{
    return MessageEntry{message, 0, 0, 0, &HandlerCall<Handler>::Call};
}

template <auto Handler> constexpr MessageEntry OnCommand(UINT code, UINT firstId, UINT lastId)
{
    return MessageEntry{WM_COMMAND, code, firstId, lastId, &HandlerCall<Handler>::Call};
}

// Binds controls of a dialog to their wrappers.
class CDataExchange {
public:
    explicit CDataExchange(CDialog& dialog) : m_dialog(dialog) {}
    CDialog& m_dialog;
};

void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

// A modal dialog built on a dialog template of the executable. It opens
// centred over its owner.
class CDialog : public CWnd {
public:
    // A dialog with no parent is owned by the application's main window.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends; returns the result given to EndDialog,
    // or -1 when the dialog could not be created.
    INT_PTR DoModal();
    void EndDialog(int result) const { ::EndDialog(m_hWnd, result); }

protected:
    virtual void DoDataExchange(CDataExchange* exchange);
    // Binds the controls; returns TRUE to give the focus to the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual const MessageMap& GetMessageMap() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;
};
