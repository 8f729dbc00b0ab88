// Identifiers of the program's resources, commands and controls: one list for the
// templates in res/, the application code and the Windows resource script.
#pragma once

// Resources.
#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_SETTINGS 130
#define IDD_WINDOW_FOUND 138
#define IDI_APPLICATION_ICON 128
#define IDI_TRAY_LARGE 133
#define IDI_TRAY_SMALL 137

// Controls of the settings dialog.
#define IDC_ON_LIST 1000
#define IDC_OFF_LIST 1001
#define IDC_DEFAULT_ACTION 1002
#define IDC_ON_RUN_LIST 1003
#define IDC_FIND_WINDOW 1005
#define IDC_BT_CONTROL 1006
#define IDC_DEF_CONTROL 1007
#define IDC_WF_DEFAULT_ACTION 1008
#define IDC_OFF_TAKES_PRECEDENCE 1011
#define IDC_KEEP_PDA_ON 1012
#define IDC_CHECK_INTERVAL 1014
#define IDC_TEST 1015

// Controls of the Window Found dialog.
#define IDC_WF_CAPTION 1006
#define IDC_WF_ACTIVE_ON 1007
#define IDC_WF_ACTIVE_OFF 1008
#define IDC_WF_CONTINUE 1009
#define IDC_WF_RUNNING 1010

// Commands.
#define ID_SETTINGS 32771
// About and Exit are the framework's standard commands (ID_APP_ABOUT, ID_APP_EXIT in
// platform/resources.h).
#define ID_HELP_MENU 65535
