// Velk.exe's settings dialog and Find Window mode under Wine, driven from outside the
// program as a user would drive them: the dialogs' controls are read and changed across
// the process boundary, and their effect is checked in the registry and on the peers.
#include <gtest/gtest.h>

#include <cstring>

#include "config/find_window_mode.h"
#include "config/settings.h"

#include "program.h"

namespace velk::wintest {
namespace {

class VelkDialogs : public DrivenProgram {};

// Stores all nine settings, one value each, as the table of settings lists them.
void StoreAll(const SettingValues& values) {
    for (const Setting& s : kSettings) {
        const std::u16string name = s.name;
        const std::wstring wideName(name.begin(), name.end());
        if (s.kind == SettingKind::Integer) {
            StoreInt(wideName, static_cast<::DWORD>(values.*s.integer));
        } else {
            const CString& text = values.*s.text;
            StoreText(wideName, std::wstring(text.begin(), text.end()));
        }
    }
}

// --- opening, and closing with OK or Cancel ------------------------------------------

TEST_F(VelkDialogs, ShowsTheStoredValuesAndOkStoresThemBackNormalised) {
    StoreAll({.DefaultAction = 2,
              .WFDefaultAction = -1,
              .OnList = u"Word;#wMail",
              .OffList = u"HR: Sales",
              .OnRunList = u"",
              .BTControl = 1,
              .DefControl = 1,
              .OffTakesPrecedence = 1,
              .KeepPDAOn = 5});

    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(WaitUntil([] { return ForegroundCaption() == L"Velk Settings"; }));

    EXPECT_EQ(ControlText(dialog, IDC_ON_LIST), L"Word;#wMail");
    EXPECT_EQ(ControlText(dialog, IDC_OFF_LIST), L"HR: Sales");
    // Stored empty is not missing: the default list does not come back.
    EXPECT_EQ(ControlText(dialog, IDC_ON_RUN_LIST), L"");
    EXPECT_EQ(SendTo(dialog, IDC_DEFAULT_ACTION, CB_GETCURSEL), 2);
    EXPECT_EQ(SendTo(dialog, IDC_WF_DEFAULT_ACTION, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(SendTo(dialog, IDC_BT_CONTROL, CB_GETCURSEL), 1);
    EXPECT_EQ(SendTo(dialog, IDC_DEF_CONTROL, CB_GETCURSEL), 1);
    EXPECT_EQ(SendTo(dialog, IDC_OFF_TAKES_PRECEDENCE, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(SendTo(dialog, IDC_KEEP_PDA_ON, BM_GETCHECK), BST_UNCHECKED);

    const std::vector<std::wstring> actions{L"Leave", L"Turn On", L"Turn Off"};
    EXPECT_EQ(ComboItems(dialog, IDC_DEFAULT_ACTION), actions);
    EXPECT_EQ(ComboItems(dialog, IDC_WF_DEFAULT_ACTION), actions);
    EXPECT_EQ(ComboItems(dialog, IDC_BT_CONTROL),
              (std::vector<std::wstring>{L"Widcomm", L"Microsoft (conn.)", L"Microsoft (disc.)"}));
    EXPECT_EQ(ComboItems(dialog, IDC_DEF_CONTROL),
              (std::vector<std::wstring>{L"Bluetooth", L"WiFi"}));

    Click(dialog, IDOK);
    ASSERT_TRUE(WaitForSettingsClosed(dialog));
    EXPECT_TRUE(StoredInt(L"DefaultAction", 2));
    EXPECT_TRUE(StoredInt(L"WFDefaultAction", 0xFFFFFFFFu));  // no selection
    EXPECT_TRUE(StoredText(L"OnList", L"Word;#wMail"));
    EXPECT_TRUE(StoredText(L"OffList", L"HR: Sales"));
    EXPECT_TRUE(StoredText(L"OnRunList", L""));
    EXPECT_TRUE(StoredInt(L"BTControl", 1));
    EXPECT_TRUE(StoredInt(L"DefControl", 1));
    EXPECT_TRUE(StoredInt(L"OffTakesPrecedence", 1));
    EXPECT_TRUE(StoredInt(L"KeepPDAOn", 0));  // the box showed clear
    EXPECT_EQ(StoredValueCount(), 9u);
    EXPECT_TRUE(velk_.Running());
}

TEST_F(VelkDialogs, FirstUseShowsTheDefaultsAndCancelStoresNothing) {
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ControlText(dialog, IDC_ON_LIST), L"#bBluetooth;");
    EXPECT_EQ(ControlText(dialog, IDC_OFF_LIST), L"HR: ;");
    EXPECT_EQ(ControlText(dialog, IDC_ON_RUN_LIST), L"Internet explorer;#bBluetooth;");
    for (int combo : {IDC_DEFAULT_ACTION, IDC_WF_DEFAULT_ACTION, IDC_BT_CONTROL, IDC_DEF_CONTROL})
        EXPECT_EQ(SendTo(dialog, combo, CB_GETCURSEL), 0) << combo;
    EXPECT_EQ(SendTo(dialog, IDC_OFF_TAKES_PRECEDENCE, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(SendTo(dialog, IDC_KEEP_PDA_ON, BM_GETCHECK), BST_UNCHECKED);

    SetControlText(dialog, IDC_ON_LIST, L"Notes");
    SendTo(dialog, IDC_KEEP_PDA_ON, BM_SETCHECK, BST_CHECKED);
    Click(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForSettingsClosed(dialog));
    EXPECT_TRUE(reg::KeyExists(reg::Root::CurrentUser, kSettingsKey));
    EXPECT_EQ(StoredValueCount(), 0u);

    // The next opening reads the store again, not the cancelled controls.
    ::PostMessageW(frame_, WM_COMMAND, ID_SETTINGS, 0);
    ::HWND again = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (again = VisibleWindowOf(velk_.Id(), L"Velk Settings", L"#32770")) != nullptr;
    }));
    EXPECT_EQ(ControlText(again, IDC_ON_LIST), L"#bBluetooth;");
    EXPECT_EQ(SendTo(again, IDC_KEEP_PDA_ON, BM_GETCHECK), BST_UNCHECKED);
}

TEST_F(VelkDialogs, ChangedControlsReachTheStoreAndTheNewRulesActAtTheNextFrontWindow) {
    // Nothing here turns Bluetooth on, and the Microsoft stack (absent) is chosen.
    StoreAll({.DefaultAction = 0,
              .WFDefaultAction = -1,
              .OnList = u"",
              .OffList = u"Calc",
              .OnRunList = u"",
              .BTControl = 1,
              .DefControl = 1,
              .OffTakesPrecedence = 1,
              .KeepPDAOn = 0});

    TempFile log(L"velk-console");
    ChildProcess console;
    ASSERT_TRUE(StartConsolePeer(console, log.Path()));
    const ::HWND dialog = OpenSettings({L"200"});
    ASSERT_TRUE(dialog);

    // An unprefixed entry reaches Bluetooth only with the default radio changed to it,
    // and the console hears of it only with the stack changed to Widcomm.
    SetControlText(dialog, IDC_ON_LIST, L"Memo pad");
    SendTo(dialog, IDC_DEFAULT_ACTION, CB_SETCURSEL, 2);
    SendTo(dialog, IDC_WF_DEFAULT_ACTION, CB_SETCURSEL, 0);
    SendTo(dialog, IDC_BT_CONTROL, CB_SETCURSEL, 0);
    SendTo(dialog, IDC_DEF_CONTROL, CB_SETCURSEL, 0);
    SendTo(dialog, IDC_OFF_TAKES_PRECEDENCE, BM_SETCHECK, BST_UNCHECKED);
    SendTo(dialog, IDC_KEEP_PDA_ON, BM_SETCHECK, BST_CHECKED);
    Click(dialog, IDOK);
    ASSERT_TRUE(WaitForSettingsClosed(dialog));

    EXPECT_TRUE(StoredInt(L"DefaultAction", 2));
    EXPECT_TRUE(StoredInt(L"WFDefaultAction", 0));
    EXPECT_TRUE(StoredText(L"OnList", L"Memo pad"));
    EXPECT_TRUE(StoredText(L"OffList", L"Calc"));
    EXPECT_TRUE(StoredText(L"OnRunList", L""));
    EXPECT_TRUE(StoredInt(L"BTControl", 0));
    EXPECT_TRUE(StoredInt(L"DefControl", 0));
    EXPECT_TRUE(StoredInt(L"OffTakesPrecedence", 0));
    EXPECT_TRUE(StoredInt(L"KeepPDAOn", 1));
    EXPECT_EQ(StoredValueCount(), 9u);
    EXPECT_TRUE(log.Lines().empty());

    ChildProcess memo;
    ASSERT_TRUE(StartSettledWindowPeer(memo, L"MEMO PAD - notes.txt"));
    EXPECT_TRUE(WaitUntil([&] { return !log.Lines().empty(); }));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"4098 0"}));
}

TEST_F(VelkDialogs, ASecondSettingsCommandBringsTheOpenDialogForward) {
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    ChildProcess other;
    ASSERT_TRUE(StartSettledWindowPeer(other, L"Some application"));
    ::PostMessageW(frame_, WM_COMMAND, ID_SETTINGS, 0);
    EXPECT_TRUE(WaitUntil([] { return ForegroundCaption() == L"Velk Settings"; }));
    EXPECT_EQ(CountWindowsOf(velk_.Id(), L"Velk Settings"), 1);
}

// --- Find Window mode ----------------------------------------------------------------

TEST_F(VelkDialogs, ACaptureOffersTheFrontCaptionAndAddToAppendsItToTheOnList) {
    StoreText(L"OnList", L"Word ");
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    // Typing before the mode starts survives the capture's reload of the controls.
    SetControlText(dialog, IDC_OFF_LIST, L"Games");
    ASSERT_TRUE(StartFindWindow(dialog));

    ChildProcess memo;
    ASSERT_TRUE(StartSettledWindowPeer(memo, L"Memo Pad - Find me"));
    ::PostMessageW(dialog, WM_HOTKEY, kAppButtonHotKeyId, 0);
    const ::HWND found = WaitForWindowFound();
    ASSERT_TRUE(found);
    EXPECT_EQ(ControlText(found, IDC_WF_CAPTION), L"Memo Pad - Find me");
    EXPECT_EQ(SendTo(found, IDC_WF_ACTIVE_ON, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(SendTo(found, IDC_WF_RUNNING, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(SendTo(found, IDC_WF_ACTIVE_OFF, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(SendTo(found, IDC_WF_CONTINUE, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(WindowText(::GetDlgItem(found, IDOK)), L"Add To");
    EXPECT_FALSE(::IsWindowVisible(dialog));

    Click(found, IDOK);
    // Without "Continue find mode" the mode ends and the settings come back in front.
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; }));
    EXPECT_FALSE(::IsWindow(found));
    EXPECT_TRUE(WaitUntil([] { return ForegroundCaption() == L"Velk Settings"; }));
    EXPECT_EQ(ControlText(dialog, IDC_ON_LIST), L"Word;Memo Pad - Find me");
    EXPECT_EQ(ControlText(dialog, IDC_OFF_LIST), L"Games");
    // Only the dialog holds it until OK.
    EXPECT_EQ(StoredValueCount(), 1u);
    EXPECT_TRUE(StoredText(L"OnList", L"Word "));

    Click(dialog, IDOK);
    ASSERT_TRUE(WaitForSettingsClosed(dialog));
    EXPECT_TRUE(StoredText(L"OnList", L"Word;Memo Pad - Find me"));
    EXPECT_TRUE(StoredText(L"OffList", L"Games"));
}

TEST_F(VelkDialogs, ContinuedCapturesGoToTheChosenListAndSkipCoveredCaptions) {
    StoreText(L"OffList", L"HR: ;");
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(StartFindWindow(dialog));

    ChildProcess hr;
    ASSERT_TRUE(StartSettledWindowPeer(hr, L"hr: sales"));
    ::PostMessageW(dialog, WM_HOTKEY, kAppButtonHotKeyId, 0);
    ::HWND found = WaitForWindowFound();
    ASSERT_TRUE(found);
    // "Active" under "OFF:", and go on capturing.
    SendTo(found, IDC_WF_ACTIVE_ON, BM_SETCHECK, BST_UNCHECKED);
    SendTo(found, IDC_WF_ACTIVE_OFF, BM_SETCHECK, BST_CHECKED);
    SendTo(found, IDC_WF_CONTINUE, BM_SETCHECK, BST_CHECKED);
    Click(found, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(found); }));
    // Covered by "HR: " whatever the letter case: nothing added, and the mode goes on.
    EXPECT_EQ(ControlText(dialog, IDC_OFF_LIST), L"HR: ;");
    EXPECT_FALSE(::IsWindowVisible(dialog));

    ChildProcess games;
    ASSERT_TRUE(StartSettledWindowPeer(games, L"Solitaire"));
    ::PostMessageW(dialog, WM_HOTKEY, kAppButtonHotKeyId, 0);
    found = WaitForWindowFound();
    ASSERT_TRUE(found);
    EXPECT_EQ(ControlText(found, IDC_WF_CAPTION), L"Solitaire");
    EXPECT_EQ(SendTo(found, IDC_WF_ACTIVE_OFF, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(SendTo(found, IDC_WF_CONTINUE, BM_GETCHECK), BST_UNCHECKED);
    // The user shortens the caption to a beginning.
    SetControlText(found, IDC_WF_CAPTION, L"Solit");
    Click(found, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; }));
    EXPECT_EQ(ControlText(dialog, IDC_OFF_LIST), L"HR: ;Solit");
    EXPECT_EQ(ControlText(dialog, IDC_ON_LIST), L"#bBluetooth;");
}

TEST_F(VelkDialogs, CtrlAltF12CapturesWhileTheModeRuns) {
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(StartFindWindow(dialog));
    ChildProcess app;
    ASSERT_TRUE(StartSettledWindowPeer(app, L"Calendar"));

    INPUT keys[6] = {};
    const ::WORD order[3] = {VK_CONTROL, VK_MENU, VK_F12};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = keys[5 - i].ki.wVk = order[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ASSERT_EQ(::SendInput(6, keys, sizeof(INPUT)), 6u);
    const ::HWND found = WaitForWindowFound();
    ASSERT_TRUE(found);
    EXPECT_EQ(ControlText(found, IDC_WF_CAPTION), L"Calendar");
    Click(found, IDCANCEL);
    // Cancel without "Continue find mode" ends the mode with nothing added.
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; }));
    EXPECT_EQ(ControlText(dialog, IDC_ON_LIST), L"#bBluetooth;");
    EXPECT_EQ(ControlText(dialog, IDC_OFF_LIST), L"HR: ;");
    EXPECT_EQ(ControlText(dialog, IDC_ON_RUN_LIST), L"Internet explorer;#bBluetooth;");
}

TEST_F(VelkDialogs, SettingsCommandWhileCapturingShowsTheDialogAndTheModeGoesOn) {
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(StartFindWindow(dialog));
    ::PostMessageW(frame_, WM_COMMAND, ID_SETTINGS, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; }));
    EXPECT_TRUE(WaitUntil([] { return ForegroundCaption() == L"Velk Settings"; }));
    EXPECT_EQ(CountWindowsOf(velk_.Id(), L"Velk Settings"), 1);

    ChildProcess app;
    ASSERT_TRUE(StartSettledWindowPeer(app, L"Tasks"));
    ::PostMessageW(dialog, WM_HOTKEY, kAppButtonHotKeyId, 0);
    const ::HWND found = WaitForWindowFound();
    ASSERT_TRUE(found);
    SendTo(found, IDC_WF_ACTIVE_ON, BM_SETCHECK, BST_UNCHECKED);
    SendTo(found, IDC_WF_RUNNING, BM_SETCHECK, BST_CHECKED);
    Click(found, IDOK);
    EXPECT_TRUE(WaitUntil([&] {
        return ControlText(dialog, IDC_ON_RUN_LIST) == L"Internet explorer;#bBluetooth;Tasks";
    }));
}

}  // namespace
}  // namespace velk::wintest
