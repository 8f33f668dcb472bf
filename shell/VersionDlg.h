#pragma once

#include "Dialog.h"

// The version box: the tool's name, version and notice. The dialog base
// closes it on OK, Escape and its close box.
class CVersionDlg : public CDialog {
public:
    CVersionDlg();
};
