#pragma once

#include <windows.h>

#include "Dialog.h"
#include "TestSupport.h"

// Runs a dialog's DoModal on a thread of its own, so that the test can drive
// the dialog from outside its modal loop, as a user or another program would.
class ModalRun {
public:
    explicit ModalRun(CDialog& dialog) : m_dialog(dialog)
    {
        m_thread = CreateThread(nullptr, 0, &ModalRun::Run, this, 0, &m_threadId);
    }
    ~ModalRun()
    {
        if (WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT) {
            // A test that failed half-way leaves the dialog open: close it.
            if (HWND window = FindWindowOfDialog())
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            WaitForSingleObject(m_thread, 10000);
        }
        CloseHandle(m_thread);
    }
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    // The dialog's window once it is visible, waiting for it; null when it
    // does not show (a message box of the thread is not it).
    HWND Window(DWORD timeoutMs = 10000) const
    {
        HWND found = nullptr;
        WaitFor([&] { return (found = FindWindowOfDialog()) != nullptr && IsWindowVisible(found); },
                timeoutMs);
        return found && IsWindowVisible(found) ? found : nullptr;
    }

    // Waits until DoModal returned; false when it did not within the time.
    bool WaitForEnd(DWORD timeoutMs = 10000) const
    {
        return WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
    }
    INT_PTR Result() const { return m_result; }
    DWORD ThreadId() const { return m_threadId; }

private:
    struct Search {
        const CDialog* dialog;
        HWND found;
    };

    static DWORD WINAPI Run(void* self)
    {
        auto* run = static_cast<ModalRun*>(self);
        run->m_result = run->m_dialog.DoModal();
        return 0;
    }

    // The dialog base keeps its object in DWLP_USER of its window.
    static BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
    {
        auto& search = *reinterpret_cast<Search*>(lParam);
        if (GetWindowLongPtrA(window, DWLP_USER) != reinterpret_cast<LONG_PTR>(search.dialog))
            return TRUE;
        search.found = window;
        return FALSE;
    }
    HWND FindWindowOfDialog() const
    {
        Search search{&m_dialog, nullptr};
        EnumThreadWindows(m_threadId, MatchDialog, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    CDialog& m_dialog;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    INT_PTR m_result = -2;
};
