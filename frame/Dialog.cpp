#include "Dialog.h"

#include <algorithm>

#include "WinApp.h"

namespace {

// Centres `window` over its owner while the owner is shown and not minimised,
// otherwise on the work area of the owner's monitor (the primary monitor when
// it has no owner), and keeps it inside that work area.
void CenterOverOwner(HWND window)
{
    HWND owner = ::GetWindow(window, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(owner ? ::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                            : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                      &monitor);
    const RECT& work = monitor.rcWork;
    RECT area = work;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);

    RECT box;
    ::GetWindowRect(window, &box);
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    // Kept inside the work area; one larger than that keeps its caption inside.
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void DDX_Control(CDataExchange* exchange, int id, CWnd& control)
{
    control.m_hWnd = exchange->m_dialog.GetDlgItem(id);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_parent ? m_parent->m_hWnd : nullptr;
    if (!owner) {
        const CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd != this)
            owner = app->m_pMainWnd->m_hWnd;
    }
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog()
{
    CDataExchange exchange(*this);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

const MessageMap& CDialog::GetMessageMap() const
{
    static constexpr MessageMap kNoEntries{nullptr, 0};
    return kNoEntries;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        const BOOL focusFirstControl = dialog->OnInitDialog();
        // The system shows a modal dialog only after this message: placed
        // now, it opens where it belongs.
        CenterOverOwner(window);
        return focusFirstControl;
    }
    // Messages such as WM_SETFONT arrive before WM_INITDIALOG, when the
    // window does not know its dialog object yet.
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    if (message == WM_NCDESTROY) {
        dialog->m_hWnd = nullptr;
        return FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    const MessageMap& map = GetMessageMap();
    for (size_t i = 0; i < map.count; ++i) {
        const MessageEntry& entry = map.entries[i];
        if (entry.message != message)
            continue;
        if (message == WM_COMMAND) {
            const UINT id = LOWORD(wParam);
            if (HIWORD(wParam) != entry.code || id < entry.firstId || id > entry.lastId)
                continue;
        }
        INT_PTR result = FALSE;
        return entry.call(*this, wParam, lParam, result) ? result : FALSE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}
