#pragma once

#include "Controls.h"
#include "SetupPlatform.h"

// The dialog's list box as the driver setup's model list. The list box
// reports errors and "no selection" as LB_ERR, which is the model list's -1.
class ModelListBox : public ModelList {
public:
    explicit ModelListBox(const CListBox& list) : m_list(list) {}

    void AddEntry(const char* text) override { m_list.AddString(text); }
    void Select(int index) override { m_list.SetCurSel(index); }
    int SelectedIndex() override { return m_list.GetCurSel(); }
    int EntryLength(int index) override { return m_list.GetTextLen(index); }
    int ReadEntry(int index, char* buffer) override { return m_list.GetText(index, buffer); }

private:
    const CListBox& m_list;
};
