#include "SetupDlg.h"

#include "InstallLauncher.h"
#include "ModelCatalogue.h"
#include "ModelListBox.h"
#include "VersionDlg.h"
#include "Win32Platform.h"
#include "WinString.h"
#include "resource.h"

const MessageEntry CSetupDlg::kMessageEntries[] = {
    OnMessage<&CSetupDlg::OnSysCommand>(WM_SYSCOMMAND),
    OnMessage<&CSetupDlg::OnPaint>(WM_PAINT),
    OnMessage<&CSetupDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
    OnCommand<&CSetupDlg::OnInstall>(BN_CLICKED, IDC_INSTALL, IDC_INSTALL),
};
const MessageMap CSetupDlg::kMessageMap = MakeMessageMap(kMessageEntries);

CSetupDlg::CSetupDlg(CWnd* parent)
    : CDialog(IDD_SETUP, parent),
      // The icon is shared by the system and lives as long as the process.
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)))
{
}

const MessageMap& CSetupDlg::GetMessageMap() const { return kMessageMap; }

void CSetupDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_MODEL_LIST, m_modelList);
}

BOOL CSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    AddVersionMenuItem();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    ModelListBox models(m_modelList);
    Win32SetupPlatform platform(m_hWnd);
    if (!BuildModelList(models, platform)) {
        // Nothing to install here: say so, then end before the dialog shows.
        MessageBox(CatalogueErrorText, ProfileDefault, MB_OK);
        EndDialog(0);
    }
    return TRUE;
}

// Ends the system menu with a separator and the item that opens the version
// box; without its text in the string table the menu stays as it is.
void CSetupDlg::AddVersionMenuItem()
{
    const CMenu systemMenu = CMenu::SystemMenuOf(m_hWnd);
    if (!systemMenu.IsValid())
        return;
    CString text;
    text.LoadString(IDS_VERSION_MENU);
    if (text.IsEmpty())
        return;
    systemMenu.AppendMenu(MF_SEPARATOR);
    systemMenu.AppendMenu(MF_STRING, IDM_VERSION, text.GetString());
}

// The system keeps the low four bits of a system command for itself.
bool CSetupDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) != IDM_VERSION)
        return false;
    CVersionDlg versionBox;
    versionBox.DoModal();
    return true;
}

// A minimised dialog shows its icon in the middle of the window; otherwise the
// system paints it.
bool CSetupDlg::OnPaint()
{
    if (!IsIconic())
        return false;

    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);

    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
    return true;
}

HCURSOR CSetupDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

// Starts the system's printer set-up for the selected model; the dialog stays
// open for further installations.
void CSetupDlg::OnInstall()
{
    ModelListBox models(m_modelList);
    Win32SetupPlatform platform(m_hWnd);
    InstallSelectedModel(models, platform, InfPath);
}
