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
            if (HWND window = Window(0))
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            WaitForSingleObject(m_thread, 10000);
        }
        CloseHandle(m_thread);
    }
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    // The visible dialog of the thread (the first one found), waiting for it.
    HWND Window(DWORD timeoutMs = 10000) const
    {
        HWND found = nullptr;
        WaitFor([&] { return (found = VisibleDialogOfThread(m_threadId)) != nullptr; }, timeoutMs);
        return found;
    }

    // Waits until DoModal returned; false when it did not within the time.
    bool WaitForEnd(DWORD timeoutMs = 10000) const
    {
        return WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
    }
    INT_PTR Result() const { return m_result; }
    DWORD ThreadId() const { return m_threadId; }

private:
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
