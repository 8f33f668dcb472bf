// Resource identifiers of tolvexan; shared by the resource script and the code.
#pragma once

#define IDD_VERSION      100
#define IDS_VERSION_MENU 101
#define IDD_SETUP        102
#define IDI_APP          128

#define IDC_MODEL_LIST 1000
#define IDC_INSTALL    1001

// System-menu command of the version item; the low four bits stay clear,
// they belong to the system.
#define IDM_VERSION 0x0010
