#pragma once

#include <windows.h>

#include "Dialog.h"
#include "TestSupport.h"

// Runs a dialog's DoModal on a thread of its own, so that the test can drive
// the dialog from outside its modal loop, as a user would.
class ModalRun {
public:
    explicit ModalRun(CDialog& dialog) : m_dialog(dialog)
    {
        m_thread = CreateThread(nullptr, 0, &ModalRun::Run, this, 0, &m_threadId);
    }
    ~ModalRun()
    {
        // A test that failed half-way leaves the dialog open: close it.
        if (!WaitForEnd(0) && Window(0))
            PostMessageA(Window(0), WM_COMMAND, IDCANCEL, 0);
        WaitForEnd();
        CloseHandle(m_thread);
    }
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    // The dialog's window once it is visible; null when it does not show.
    HWND Window(DWORD timeoutMs = 10000) const
    {
        Search search{&m_dialog, nullptr};
        WaitFor(
            [&] {
                EnumThreadWindows(m_threadId, MatchDialog, reinterpret_cast<LPARAM>(&search));
                return search.found && IsWindowVisible(search.found);
            },
            timeoutMs);
        return search.found && IsWindowVisible(search.found) ? search.found : nullptr;
    }
    bool WaitForEnd(DWORD timeoutMs = 10000) const { return WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0; }
    INT_PTR Result() const { return m_result; }
    DWORD ThreadId() const { return m_threadId; }

private:
    struct Search {
        const CDialog* dialog;
        HWND found;
    };
    // The dialog base keeps its object in DWLP_USER of its window.
    static BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
    {
        auto& search = *reinterpret_cast<Search*>(lParam);
        if (GetWindowLongPtrA(window, DWLP_USER) == reinterpret_cast<LONG_PTR>(search.dialog))
            search.found = window;
        return search.found ? FALSE : TRUE;
    }
    static DWORD WINAPI Run(void* self)
    {
        auto* run = static_cast<ModalRun*>(self);
        run->m_result = run->m_dialog.DoModal();
        return 0;
    }

    CDialog& m_dialog;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    INT_PTR m_result = -2;
};
