// The dialog templates: the About box (100), the settings dialog (130) and the Window
// Found dialog (138). Positions and sizes are dialog units; controls stand in tab order.

#include "platform/resources.h"
#include "res/resource_ids.h"

namespace velk {

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kStatic = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kHiddenStatic = WS_CHILD | SS_LEFT | WS_GROUP;
constexpr DWORD kEdit = kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kCheck = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kDropList = kChild | CBS_DROPDOWNLIST | WS_TABSTOP;
constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefPush = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;

// --- 100: About -----------------------------------------------------------------------

constexpr DialogItemTemplate kAboutItems[] = {
    {kClassStatic, nullptr, kNoId, 11, 12, 20, 20, kChild | SS_ICON, 0, IDI_APPLICATION_ICON},
    {kClassStatic, u"Velk+WF Version 0.76", kNoId, 40, 10, 78, 8, kStatic | SS_NOPREFIX},
    {kClassStatic, u"Written and maintained by", kNoId, 40, 21, 105, 24, kStatic},
    {kClassStatic, u"Velk contributors", kNoId, 40, 50, 65, 8, kStatic},
    {kClassStatic, u"Automatic Bluetooth/WLAN Switcher\n(C) Velk contributors", kNoId, 7, 62, 147,
     17, kStatic},
};

// --- 130: Settings --------------------------------------------------------------------

constexpr DialogItemTemplate kSettingsItems[] = {
    {kClassStatic, u"If window is Active:", kNoId, 4, 29, 69, 8, kStatic},
    {kClassButton, u"Keep PDA ON", IDC_KEEP_PDA_ON, 87, 26, 65, 11, kCheck},
    {kClassEdit, nullptr, IDC_ON_LIST, 5, 38, 148, 14, kEdit},
    {kClassStatic, u"If window is Running (full captions):", kNoId, 3, 53, 149, 9, kStatic},
    {kClassEdit, nullptr, IDC_ON_RUN_LIST, 5, 62, 148, 14, kEdit},
    {kClassEdit, nullptr, IDC_OFF_LIST, 6, 88, 148, 14, kEdit},
    {kClassButton, u"Override \"On\" lists", IDC_OFF_TAKES_PRECEDENCE, 6, 104, 80, 12, kCheck},
    {kClassButton, u"Turn on:", kNoId, 1, 19, 157, 60, kGroupBox},
    {kClassButton, u"Turn off:", kNoId, 1, 79, 157, 41, kGroupBox},
    {kClassComboBox, nullptr, IDC_DEFAULT_ACTION, 42, 123, 43, 65, kDropList | WS_VSCROLL},
    {kClassComboBox, nullptr, IDC_BT_CONTROL, 112, 138, 46, 65, kDropList},
    {kClassButton, u"Find Window!", IDC_FIND_WINDOW, 102, 157, 50, 14, kPush},
    {kClassButton, u"OK", IDOK, 27, 175, 50, 14, kDefPush},
    {kClassButton, u"Cancel", IDCANCEL, 81, 175, 50, 14, kPush},
    {kClassStatic,
     u"Beginnings of windows' captions separated by \";\" (Today window has caption "
     u"\"Desktop\")",
     kNoId, 1, 2, 157, 16, kStatic},
    {kClassStatic, u"Default: BT:", kNoId, 1, 126, 41, 8, kStatic},
    {kClassStatic, u"BT Stack:", kNoId, 78, 141, 33, 8, kStatic},
    // The check interval comes from the command line; these stay hidden for good.
    {kClassEdit, nullptr, IDC_CHECK_INTERVAL, 51, 157, 27, 14, kEdit & ~WS_VISIBLE},
    {kClassStatic, u"Check interval", kNoId, 1, 159, 49, 8, kHiddenStatic},
    {kClassStatic, u"ms.", kNoId, 81, 159, 13, 8, kHiddenStatic},
    {kClassButton, u"Test", IDC_TEST, 1, 173, 50, 14, kPush & ~WS_VISIBLE},
    // The shell's input-panel preference control.
    {kClassSipPref, nullptr, kNoId, -10, -10, 5, 5, WS_CHILD},
    {kClassComboBox, nullptr, IDC_DEF_CONTROL, 26, 139, 43, 65, kDropList},
    {kClassStatic, u"Control:", kNoId, 1, 142, 31, 8, kStatic},
    {kClassComboBox, nullptr, IDC_WF_DEFAULT_ACTION, 115, 122, 43, 65, kDropList},
    {kClassStatic, u"WiFi:", kNoId, 97, 125, 16, 8, kStatic},
};

// --- 138: Window Found ----------------------------------------------------------------

constexpr DialogItemTemplate kWindowFoundItems[] = {
    {kClassStatic, u"Window Caption:", kNoId, 2, 1, 60, 8, kStatic},
    {kClassEdit, nullptr, IDC_WF_CAPTION, 2, 10, 134, 14, kEdit},
    {kClassButton, u"Active", IDC_WF_ACTIVE_ON, 55, 26, 35, 12,
     kChild | BS_AUTORADIOBUTTON | WS_GROUP},
    {kClassButton, u"Running", IDC_WF_RUNNING, 93, 26, 39, 12, kChild | BS_AUTORADIOBUTTON},
    {kClassButton, u"Active", IDC_WF_ACTIVE_OFF, 55, 39, 35, 11, kChild | BS_AUTORADIOBUTTON},
    {kClassButton, u"Continue find mode", IDC_WF_CONTINUE, 42, 50, 81, 12,
     kCheck | BS_MULTILINE | WS_GROUP},
    {kClassButton, u"Add To", IDOK, 2, 30, 31, 14, kDefPush},
    {kClassButton, u"Cancel", IDCANCEL, 2, 47, 31, 14, kPush},
    {kClassStatic, u"ON:", kNoId, 41, 27, 14, 8, kStatic},
    {kClassStatic, u"OFF:", kNoId, 37, 40, 18, 8, kStatic},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_ABOUTBOX, u"About Velk", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
     WS_EX_CAPTIONOKBTN, 161, 114, u"System", 8, kAboutItems},
    {IDD_SETTINGS, u"Velk Settings",
     WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 159, 189,
     u"Tahoma", 7, kSettingsItems},
    {IDD_WINDOW_FOUND, u"Window Found",
     WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND | DS_SETFONT,
     0, 139, 64, u"Tahoma", 7, kWindowFoundItems},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(WORD id) {
    for (const DialogTemplate& d : kDialogs)
        if (d.id == id)
            return &d;
    return nullptr;
}

}  // namespace velk
