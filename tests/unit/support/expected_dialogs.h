// The three dialog templates as the program must show them, control by control: one
// table that the simulated handheld's tests and the Windows build's tests both compare
// the real dialogs with. Positions and sizes are dialog units.
#pragma once

#include <array>
#include <span>

#include "platform/resources.h"
#include "platform/types.h"
#include "res/resource_ids.h"

namespace velk::expected {

struct Control {
    INT id;
    const char16_t* windowClass;
    const char16_t* text;  // "" for none
    short x, y, cx, cy;
    DWORD style;
    WORD iconResource = 0;
};

struct Dialog {
    WORD id;
    const char16_t* caption;
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    const char16_t* fontName;
    WORD pointSize;
    std::span<const Control> controls;
};

inline constexpr DWORD kVisibleChild = WS_CHILD | WS_VISIBLE;
inline constexpr DWORD kText = kVisibleChild | SS_LEFT | WS_GROUP;
inline constexpr DWORD kEditBox = kVisibleChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
inline constexpr DWORD kCheckBox = kVisibleChild | BS_AUTOCHECKBOX | WS_TABSTOP;
inline constexpr DWORD kDropDown = kVisibleChild | CBS_DROPDOWNLIST | WS_TABSTOP;
inline constexpr DWORD kButton = kVisibleChild | BS_PUSHBUTTON | WS_TABSTOP;

inline constexpr Control kAbout[] = {
    {-1, u"STATIC", u"", 11, 12, 20, 20, kVisibleChild | SS_ICON, IDI_APPLICATION_ICON},
    {-1, u"STATIC", u"Velk+WF Version 0.76", 40, 10, 78, 8, kText | SS_NOPREFIX},
    {-1, u"STATIC", u"Written and maintained by", 40, 21, 105, 24, kText},
    {-1, u"STATIC", u"Velk contributors", 40, 50, 65, 8, kText},
    {-1, u"STATIC", u"Automatic Bluetooth/WLAN Switcher\n(C) Velk contributors", 7, 62, 147, 17,
     kText},
};

inline constexpr Control kSettings[] = {
    {-1, u"STATIC", u"If window is Active:", 4, 29, 69, 8, kText},
    {IDC_KEEP_PDA_ON, u"BUTTON", u"Keep PDA ON", 87, 26, 65, 11, kCheckBox},
    {IDC_ON_LIST, u"EDIT", u"", 5, 38, 148, 14, kEditBox},
    {-1, u"STATIC", u"If window is Running (full captions):", 3, 53, 149, 9, kText},
    {IDC_ON_RUN_LIST, u"EDIT", u"", 5, 62, 148, 14, kEditBox},
    {IDC_OFF_LIST, u"EDIT", u"", 6, 88, 148, 14, kEditBox},
    {IDC_OFF_TAKES_PRECEDENCE, u"BUTTON", u"Override \"On\" lists", 6, 104, 80, 12, kCheckBox},
    {-1, u"BUTTON", u"Turn on:", 1, 19, 157, 60, kVisibleChild | BS_GROUPBOX},
    {-1, u"BUTTON", u"Turn off:", 1, 79, 157, 41, kVisibleChild | BS_GROUPBOX},
    {IDC_DEFAULT_ACTION, u"COMBOBOX", u"", 42, 123, 43, 65, kDropDown | WS_VSCROLL},
    {IDC_BT_CONTROL, u"COMBOBOX", u"", 112, 138, 46, 65, kDropDown},
    {IDC_FIND_WINDOW, u"BUTTON", u"Find Window!", 102, 157, 50, 14, kButton},
    {1, u"BUTTON", u"OK", 27, 175, 50, 14, kVisibleChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {2, u"BUTTON", u"Cancel", 81, 175, 50, 14, kButton},
    {-1, u"STATIC",
     u"Beginnings of windows' captions separated by \";\" (Today window has caption "
     u"\"Desktop\")",
     1, 2, 157, 16, kText},
    {-1, u"STATIC", u"Default: BT:", 1, 126, 41, 8, kText},
    {-1, u"STATIC", u"BT Stack:", 78, 141, 33, 8, kText},
    {IDC_CHECK_INTERVAL, u"EDIT", u"", 51, 157, 27, 14, kEditBox & ~WS_VISIBLE},
    {-1, u"STATIC", u"Check interval", 1, 159, 49, 8, kText & ~WS_VISIBLE},
    {-1, u"STATIC", u"ms.", 81, 159, 13, 8, kText & ~WS_VISIBLE},
    {IDC_TEST, u"BUTTON", u"Test", 1, 173, 50, 14, kButton & ~WS_VISIBLE},
    {-1, u"SIPPREF", u"", -10, -10, 5, 5, WS_CHILD},
    {IDC_DEF_CONTROL, u"COMBOBOX", u"", 26, 139, 43, 65, kDropDown},
    {-1, u"STATIC", u"Control:", 1, 142, 31, 8, kText},
    {IDC_WF_DEFAULT_ACTION, u"COMBOBOX", u"", 115, 122, 43, 65, kDropDown},
    {-1, u"STATIC", u"WiFi:", 97, 125, 16, 8, kText},
};

inline constexpr Control kWindowFound[] = {
    {-1, u"STATIC", u"Window Caption:", 2, 1, 60, 8, kText},
    {IDC_WF_CAPTION, u"EDIT", u"", 2, 10, 134, 14, kEditBox},
    {IDC_WF_ACTIVE_ON, u"BUTTON", u"Active", 55, 26, 35, 12,
     kVisibleChild | BS_AUTORADIOBUTTON | WS_GROUP},
    {IDC_WF_RUNNING, u"BUTTON", u"Running", 93, 26, 39, 12, kVisibleChild | BS_AUTORADIOBUTTON},
    {IDC_WF_ACTIVE_OFF, u"BUTTON", u"Active", 55, 39, 35, 11, kVisibleChild | BS_AUTORADIOBUTTON},
    {IDC_WF_CONTINUE, u"BUTTON", u"Continue find mode", 42, 50, 81, 12,
     kCheckBox | BS_MULTILINE | WS_GROUP},
    {1, u"BUTTON", u"Add To", 2, 30, 31, 14, kVisibleChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {2, u"BUTTON", u"Cancel", 2, 47, 31, 14, kButton},
    {-1, u"STATIC", u"ON:", 41, 27, 14, 8, kText},
    {-1, u"STATIC", u"OFF:", 37, 40, 18, 8, kText},
};

// About: pop-up, caption, system menu, modal frame, font set (0x80C800C0); an OK button
// in the caption.
inline constexpr std::array kDialogs = {
    Dialog{IDD_ABOUTBOX, u"About Velk", 0x80C800C0, WS_EX_CAPTIONOKBTN, 161, 114, u"System", 8,
           kAbout},
    Dialog{IDD_SETTINGS, u"Velk Settings",
           WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 159,
           189, u"Tahoma", 7, kSettings},
    Dialog{IDD_WINDOW_FOUND, u"Window Found",
           WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND |
               DS_SETFONT,
           0, 139, 64, u"Tahoma", 7, kWindowFound},
};

}  // namespace velk::expected
