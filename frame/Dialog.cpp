#include "Dialog.h"

#include "WinApp.h"

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
        return dialog->OnInitDialog();
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
