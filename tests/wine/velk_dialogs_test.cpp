// Velk.exe's settings dialog and Find Window mode under Wine, driven from outside the
// program as a user would drive them: the dialogs' controls are read and changed across
// the process boundary, and their effect is checked in the registry and on the peers.
#include <gtest/gtest.h>

#include <cstring>

#include "config/find_window_mode.h"

#include "harness.h"
#include "resource_ids.h"

namespace velk::wintest {
namespace {

const std::wstring kSettingsKey = L"software\\Velk\\Velk\\Settings";
const std::wstring kPrompt =
    L"Launch Application you want to add to On or Off list and press Application Button 1!";

// --- talking to another process's controls -----------------------------------------------

::LRESULT SendTo(::HWND dialog, int id, ::UINT message, ::WPARAM wParam = 0, ::LPARAM lParam = 0) {
    return ::SendMessageW(::GetDlgItem(dialog, id), message, wParam, lParam);
}

// WM_GETTEXT is carried across processes; GetWindowTextW would not ask the control.
std::wstring WindowText(::HWND hwnd) {
    const auto length = ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const auto got =
        ::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<::LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

std::wstring ControlText(::HWND dialog, int id) {
    return WindowText(::GetDlgItem(dialog, id));
}

void SetControlText(::HWND dialog, int id, const std::wstring& text) {
    SendTo(dialog, id, WM_SETTEXT, 0, reinterpret_cast<::LPARAM>(text.c_str()));
}

// What a click on a push button tells its dialog.
void Click(::HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<::LPARAM>(::GetDlgItem(dialog, id)));
}

std::vector<std::wstring> ComboItems(::HWND dialog, int id) {
    std::vector<std::wstring> items;
    const auto count = SendTo(dialog, id, CB_GETCOUNT);
    for (::LRESULT i = 0; i < count; ++i) {
        const auto length = SendTo(dialog, id, CB_GETLBTEXTLEN, static_cast<::WPARAM>(i));
        std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        const auto got = SendTo(dialog, id, CB_GETLBTEXT, static_cast<::WPARAM>(i),
                                reinterpret_cast<::LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        items.push_back(text);
    }
    return items;
}

// A visible top-level window of process pid with that caption and window class.
::HWND VisibleWindowOf(::DWORD pid, const std::wstring& caption, const std::wstring& windowClass) {
    struct Search {
        ::DWORD pid;
        const std::wstring* caption;
        const std::wstring* windowClass;
        ::HWND found;
    } search{pid, &caption, &windowClass, nullptr};
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64] = {};
            ::GetClassNameW(hwnd, cls, 64);
            if (owner == s->pid && ::IsWindowVisible(hwnd) && cls == *s->windowClass &&
                WindowText(hwnd) == *s->caption) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.found;
}

int CountWindowsOf(::DWORD pid, const std::wstring& caption) {
    struct Search {
        ::DWORD pid;
        const std::wstring* caption;
        int count;
    } search{pid, &caption, 0};
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid && WindowText(hwnd) == *s->caption)
                ++s->count;
            return TRUE;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.count;
}

// True when some child of window shows exactly that text.
bool HasChildText(::HWND window, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        bool found;
    } search{&text, false};
    ::EnumChildWindows(
        window,
        [](::HWND child, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            s->found = WindowText(child) == *s->text;
            return !s->found;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.found;
}

// The peer's window in front, and staying there: under Wine the X server's focus
// events for a new window arrive a little after it becomes the foreground window, and
// until they have, they take the front back from anyone else.
bool StartSettledWindowPeer(ChildProcess& child, const std::wstring& caption) {
    if (!StartWindowPeer(child, caption))
        return false;
    ULONGLONG since = ::GetTickCount64();
    return WaitUntil([&] {
        if (ForegroundCaption() != caption)
            since = ::GetTickCount64();
        return ::GetTickCount64() - since >= 500;
    });
}

// --- the store as the registry holds it --------------------------------------------------

void StoreInt(const std::wstring& name, ::DWORD value) {
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kSettingsKey, name, REG_DWORD, &value, 4));
}

void StoreText(const std::wstring& name, const std::wstring& text) {
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kSettingsKey, name, REG_SZ, text.c_str(),
                              static_cast<::DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

::testing::AssertionResult StoredInt(const std::wstring& name, ::DWORD expected) {
    ::DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg::GetValue(reg::Root::CurrentUser, kSettingsKey, name, &type, &data))
        return ::testing::AssertionFailure() << "no value";
    if (type != REG_DWORD || data.size() != 4)
        return ::testing::AssertionFailure() << "type " << type << ", " << data.size() << " bytes";
    ::DWORD value = 0;
    std::memcpy(&value, data.data(), 4);
    if (value != expected)
        return ::testing::AssertionFailure() << "value " << static_cast<::LONG>(value);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult StoredText(const std::wstring& name, const std::wstring& expected) {
    ::DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg::GetValue(reg::Root::CurrentUser, kSettingsKey, name, &type, &data))
        return ::testing::AssertionFailure() << "no value";
    // The terminating null is stored with the text.
    std::wstring stored = expected;
    stored.push_back(L'\0');
    if (type != REG_SZ || data.size() != stored.size() * sizeof(wchar_t) ||
        std::memcmp(data.data(), stored.data(), data.size()) != 0) {
        return ::testing::AssertionFailure() << "type " << type << ", " << data.size() << " bytes";
    }
    return ::testing::AssertionSuccess();
}

::DWORD StoredValueCount() {
    ::DWORD values = 0, subKeys = 0;
    return reg::Counts(reg::Root::CurrentUser, kSettingsKey, &values, &subKeys) ? values
                                                                                : 0xFFFFFFFFu;
}

class VelkDialogs : public ProgramTest {
  protected:
    void TearDown() override {
        velk_.Stop();
        ProgramTest::TearDown();
    }

    // Starts the program and runs its Settings command; the dialog once it shows, or null.
    ::HWND OpenSettings(const std::vector<std::wstring>& args = {}) {
        if (!velk_.Start(ProgramPath(), args))
            return nullptr;
        frame_ = WaitForProcessWindow(velk_.Id(), L"Velk");
        if (!frame_)
            return nullptr;
        ::PostMessageW(frame_, WM_COMMAND, ID_SETTINGS, 0);
        ::HWND dialog = nullptr;
        WaitUntil([&] {
            return (dialog = VisibleWindowOf(velk_.Id(), L"Velk Settings", L"#32770")) != nullptr;
        });
        return dialog;
    }

    // The dialog is closed and gone, and the command that ran it has ended: the window
    // goes as its modal loop ends, before OK's writes, and the program's thread answers
    // a sent message only once it is back in its own message loop.
    bool WaitForSettingsClosed(::HWND dialog) {
        if (!WaitUntil([&] { return !::IsWindow(dialog); }))
            return false;
        ::DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(frame_, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result) != 0;
    }

    // Presses "Find Window!" and dismisses the prompt; true once the dialog has hidden.
    bool StartFindWindow(::HWND dialog) {
        Click(dialog, IDC_FIND_WINDOW);
        ::HWND prompt = nullptr;
        if (!WaitUntil([&] {
                return (prompt = VisibleWindowOf(velk_.Id(), L"Velk", L"#32770")) != nullptr;
            })) {
            ADD_FAILURE() << "no prompt";
            return false;
        }
        EXPECT_TRUE(HasChildText(prompt, kPrompt));
        ::PostMessageW(prompt, WM_COMMAND, IDOK, 0);
        return WaitUntil([&] { return !::IsWindowVisible(dialog); });
    }

    ::HWND WaitForWindowFound() {
        ::HWND found = nullptr;
        WaitUntil([&] {
            return (found = VisibleWindowOf(velk_.Id(), L"Window Found", L"#32770")) != nullptr;
        });
        return found;
    }

    ChildProcess velk_;
    ::HWND frame_ = nullptr;
};

// --- opening, and closing with OK or Cancel ------------------------------------------

TEST_F(VelkDialogs, ShowsTheStoredValuesAndOkStoresThemBackNormalised) {
    StoreInt(L"DefaultAction", 2);
    StoreInt(L"WFDefaultAction", 0xFFFFFFFFu);
    StoreText(L"OnList", L"Word;#wMail");
    StoreText(L"OffList", L"HR: Sales");
    StoreText(L"OnRunList", L"");
    StoreInt(L"BTControl", 1);
    StoreInt(L"DefControl", 1);
    StoreInt(L"OffTakesPrecedence", 1);
    StoreInt(L"KeepPDAOn", 5);

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
    StoreInt(L"DefaultAction", 0);
    StoreInt(L"WFDefaultAction", 0xFFFFFFFFu);
    StoreText(L"OnList", L"");
    StoreText(L"OffList", L"Calc");
    StoreText(L"OnRunList", L"");
    StoreInt(L"BTControl", 1);
    StoreInt(L"DefControl", 1);
    StoreInt(L"OffTakesPrecedence", 1);
    StoreInt(L"KeepPDAOn", 0);

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
