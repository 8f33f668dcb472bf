#pragma once

#include "Controls.h"
#include "Dialog.h"

// The tool's one window: the model list and the install button.
class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    const MessageMap& GetMessageMap() const override;
    // OK and Cancel keep the dialog base's behaviour: both end the dialog.

    void AddVersionMenuItem();

    bool OnSysCommand(UINT id, LPARAM lParam);
    bool OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnInstall();

    CListBox m_modelList;
    HICON m_hIcon;

private:
    static const MessageEntry kMessageEntries[];
    static const MessageMap kMessageMap;
};
