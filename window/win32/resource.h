#pragma once
// Resource and control ids of the native window: shared by the resource script and the code.
// The numbers are those the window's protocol names (dialog 102, tray menu 129, ...).

// Dialogs, icon, menu, accelerators, strings, bitmap.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 129
#define IDR_ACCELERATORS 131
#define IDD_PREVIEW 133
#define IDB_PREVIEW 135

// Controls of the main dialog.
#define IDC_PORT 1000
#define IDC_RUN_MINIMIZED 1002
#define IDC_BAR1 1003
#define IDC_BAR2 1004
#define IDC_EXPAND_ACTIVE 1005
#define IDC_UPPER_PANE 1006
#define IDC_DELETE_AFTER 1007
#define IDC_AUTOSTART 1008
#define IDC_REMOVABLE 1009
#define IDC_DELETE_FLASH 1010
#define IDC_PREVIEW 1011
#define IDC_LOWER_PANE 1012
#define IDC_DRIVE_FIRST 1015
#define IDC_DRIVE_LAST 1024

// Controls of the preview dialog and the about box.
#define IDC_PREVIEW_LIST 1011
#define IDC_PREVIEW_STATUS 1013
#define IDC_ABOUT_VERSION 1007

// Commands: the tray menu's items, the about item of the system menu, and the accelerators'
// SC_MINIMIZE.
#define ID_TRAY_RESTORE 32773
#define ID_APP_ABOUT 57664
#define ID_TRAY_EXIT 32772
#define IDM_ABOUTBOX 0x0010
#define ID_MINIMIZE 61472

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
