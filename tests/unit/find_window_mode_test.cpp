// The Find Window mode: the duplicate test and the append on their own, then the mode
// inside the settings dialog on the simulated handheld — taking the button, captures,
// continuing, re-entry, closing mid-mode and the caption listing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "config/find_window_mode.h"
#include "platform/strings.h"
#include "tests/unit/support/settings_fixture.h"

namespace velk::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// --- the duplicate test and the append -------------------------------------------------

struct CoverCase {
    const char16_t* caption;
    const char16_t* list;
    bool covered;
};

class CaptionCoveredTest : public ::testing::TestWithParam<CoverCase> {};

TEST_P(CaptionCoveredTest, ComparesCaptionBeginningsWithTheEntriesAsTheyStand) {
    const CoverCase& c = GetParam();
    EXPECT_EQ(IsCaptionCovered(c.caption, c.list), c.covered)
        << ToUtf8(c.caption) << " in " << ToUtf8(c.list);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, CaptionCoveredTest,
    ::testing::Values(CoverCase{u"HR: Sales", u"HR: ;", true},
                      CoverCase{u"hr: sales", u"HR: ;", true},          // letter case aside
                      CoverCase{u"HR:Sales", u"HR: ;", false},          // the blank is part of it
                      CoverCase{u"Bluetooth", u"#bBluetooth;", false},  // so is the prefix
                      CoverCase{u"#bBluetooth Manager", u"#bBluetooth;", true},
                      CoverCase{u"Internet", u"Internet explorer;#bBluetooth;", false},
                      CoverCase{u"Internet Explorer - Home", u"Internet explorer;", true},
                      CoverCase{u"Notes", u"abc;Notes", true},  // the entry after the last ";"
                      CoverCase{u"Notes", u"Notes", true},      // a list of one entry
                      CoverCase{u"Note", u"abc;Notes", false},
                      CoverCase{u"Notes", u"abc; Notes", false},
                      CoverCase{u"Zed", u"a;;b;", false},  // empty entries cover nothing
                      CoverCase{u"Zed", u";", false}, CoverCase{u"Zed", u"", false},
                      CoverCase{u"", u"abc;", false}, CoverCase{u"b2", u"a;;b;", true}));

struct AppendCase {
    const char16_t* list;
    const char16_t* caption;
    const char16_t* result;
};

class AppendCaptionTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendCaptionTest, PutsOneSeparatorBeforeTheCaptionAndNoneAfter) {
    const AppendCase& c = GetParam();
    EXPECT_EQ(AppendCaption(c.list, c.caption), c.result);
}

INSTANTIATE_TEST_SUITE_P(Lists, AppendCaptionTest,
                         ::testing::Values(AppendCase{u"abc", u"Notes", u"abc;Notes"},
                                           AppendCase{u"abc;", u"Notes", u"abc;Notes"},
                                           AppendCase{u"abc; ", u"Notes", u"abc;Notes"},
                                           AppendCase{u"abc;\t \n", u"Notes", u"abc;Notes"},
                                           AppendCase{u"", u"Notes", u"Notes"},
                                           AppendCase{u"  ", u"Notes", u"Notes"},
                                           AppendCase{u"x", u"NoTeS", u"x;NoTeS"},
                                           AppendCase{u"abc", u"", u"abc;"},  // emptied caption
                                           AppendCase{u"abc;", u"", u"abc;"},
                                           AppendCase{u"", u"", u""}));

TEST(AppendCaption, ASecondCaptureOfTheSameCaptionIsCoveredByTheNewEntry) {
    for (const char16_t* list : {u"abc", u"abc;", u"abc; ", u""}) {
        const CString appended = AppendCaption(list, u"Notes");
        EXPECT_TRUE(IsCaptionCovered(u"Notes", appended)) << ToUtf8(appended);
        EXPECT_TRUE(IsCaptionCovered(u"NOTES - memo", appended)) << ToUtf8(appended);
    }
}

// --- the mode in the dialog -------------------------------------------------------------

constexpr UINT kButton = 0xC1;

class FindWindowModeTest : public SettingsFixture {
  protected:
    FindWindowModeTest() { hh.OpenAppWindow(u"Notes"); }

    // "Find Window!" and the prompt read and dismissed.
    void ThenFindWindow() {
        steps.Then([&] { hh.Click(IDC_FIND_WINDOW); });
        steps.Then([&] {
            ASSERT_TRUE(hh.MessageBoxShown());
            prompt = hh.FrontMessageBoxRecord();
            hh.DismissMessageBox();
        });
    }
    // The user brings Notes to the front and presses Application Button 1.
    void ThenCaptureNotes() {
        steps.Then([&] {
            hh.Front(u"Notes");
            hh.PressButton(kButton);
        });
    }

    HWND Dialog() const { return frame->SettingsDlg ? frame->SettingsDlg->m_hWnd : HWND{}; }
    bool HoldsButton() const {
        const auto& keys = hh.GetWorld().HotKeys();
        return std::any_of(keys.begin(), keys.end(), [&](const sim::SimHotKey& k) {
            return k.hwnd == Dialog() && k.id == 0xC1 && k.modifiers == 0x1008 && k.vk == kButton;
        });
    }
    std::size_t Timers() const {
        return static_cast<std::size_t>(
            std::count_if(hh.GetWorld().Timers().begin(), hh.GetWorld().Timers().end(),
                          [&](const sim::SimTimer& t) { return t.hwnd == Dialog(); }));
    }
    bool SettingsFront() const { return hh.FrontCaption() == u"Velk Settings"; }

    sim::MessageBoxRecord prompt;
};

TEST_F(FindWindowModeTest, ACaptureAddsTheFrontCaptionAndEndsTheModeWithTheDialogInFront) {
    ThenFindWindow();
    steps.Then([&] {
        EXPECT_EQ(prompt.text, kFindWindowPrompt);
        EXPECT_EQ(prompt.caption, u"Velk");
        EXPECT_EQ(prompt.type, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
        EXPECT_FALSE(SettingsShown());
        EXPECT_TRUE(HoldsButton());
        EXPECT_FALSE(hh.ShellHoldsAppButton1());
        EXPECT_THAT(hh.UnregisterFunc1Calls(), ElementsAre(std::pair<UINT, UINT>{8, kButton}));
        ASSERT_EQ(Timers(), 1u);
        EXPECT_EQ(hh.GetWorld().Timers()[0].id, 1u);
        EXPECT_EQ(hh.GetWorld().Timers()[0].period, 500u);
        hh.Front(u"Notes");
        hh.PressButton(kButton);
    });
    steps.Then([&] {
        EXPECT_EQ(hh.FrontCaption(), u"Window Found");
        EXPECT_EQ(hh.ControlText(IDC_WF_CAPTION), u"Notes");
        EXPECT_EQ(hh.ControlChecked(IDC_WF_ACTIVE_ON), 1);
        EXPECT_EQ(hh.ControlChecked(IDC_WF_CONTINUE), 0);
        // At its own size: only the settings dialog went through the shell.
        EXPECT_EQ(Calls("SHInitDialog"), 1u);
        hh.Click(IDOK);
    });
    steps.Then([&] {
        EXPECT_TRUE(SettingsFront());
        EXPECT_EQ(hh.ControlText(IDC_ON_LIST), u"#bBluetooth;Notes");
        EXPECT_FALSE(HoldsButton());
        EXPECT_EQ(Timers(), 0u);
        // Nothing reaches the store before OK.
        EXPECT_EQ(Calls("RegSetValueExW"), 0u);
        hh.Click(IDOK);
    });
    RunSettings();

    EXPECT_TRUE(steps.Done());
    EXPECT_EQ(StoredText(kOnList), u"#bBluetooth;Notes");
}

struct ListChoice {
    INT radio;
    INT list;
    const char16_t* result;
};

class FindWindowListTest : public FindWindowModeTest,
                           public ::testing::WithParamInterface<ListChoice> {};

TEST_P(FindWindowListTest, TheRadioChoiceSelectsTheList) {
    ThenFindWindow();
    ThenCaptureNotes();
    steps.Then([&] {
        hh.Click(GetParam().radio);
        hh.TypeText(IDC_WF_CAPTION, u"Notes - Memo");  // the user may edit the caption
        hh.Click(IDOK);
    });
    steps.Then([&] {
        for (INT list : {IDC_ON_LIST, IDC_ON_RUN_LIST, IDC_OFF_LIST})
            if (list == GetParam().list)
                EXPECT_EQ(hh.ControlText(list), GetParam().result);
            else
                EXPECT_EQ(hh.ControlText(list).find(u"Notes"), std::u16string::npos) << list;
        hh.Click(IDCANCEL);
    });
    RunSettings();
    EXPECT_TRUE(steps.Done());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, FindWindowListTest,
    ::testing::Values(ListChoice{IDC_WF_ACTIVE_ON, IDC_ON_LIST, u"#bBluetooth;Notes - Memo"},
                      ListChoice{IDC_WF_RUNNING, IDC_ON_RUN_LIST,
                                 u"Internet explorer;#bBluetooth;Notes - Memo"},
                      ListChoice{IDC_WF_ACTIVE_OFF, IDC_OFF_LIST, u"HR: ;Notes - Memo"}));

TEST_F(FindWindowModeTest, CancelWithContinueAddsNothingAndOffersTheSameListNextTime) {
    ThenFindWindow();
    ThenCaptureNotes();
    steps.Then([&] {
        hh.Click(IDC_WF_ACTIVE_OFF);
        hh.Click(IDC_WF_CONTINUE);
        hh.Click(IDCANCEL);
    });
    steps.Then([&] {
        EXPECT_FALSE(SettingsShown());
        EXPECT_TRUE(HoldsButton());
        EXPECT_EQ(Timers(), 1u);
        EXPECT_EQ(hh.ControlText(SettingsWindow(), IDC_OFF_LIST), u"HR: ;");
        hh.PressButton(kButton);
    });
    steps.Then([&] {
        EXPECT_EQ(hh.ControlChecked(IDC_WF_ACTIVE_OFF), 1);
        EXPECT_EQ(hh.ControlChecked(IDC_WF_ACTIVE_ON), 0);
        EXPECT_EQ(hh.ControlChecked(IDC_WF_CONTINUE), 0);  // clear on every capture
        hh.Click(IDOK);
    });
    steps.Then([&] {
        EXPECT_TRUE(SettingsFront());
        EXPECT_EQ(hh.ControlText(IDC_OFF_LIST), u"HR: ;Notes");
        hh.Click(IDCANCEL);
    });
    RunSettings();
    EXPECT_TRUE(steps.Done());
    EXPECT_FALSE(Stored(kOffList).has_value());
}

TEST_F(FindWindowModeTest, ACoveredCaptionLeavesTheListAsItIs) {
    hh.OpenAppWindow(u"hr: sales");
    ThenFindWindow();
    steps.Then([&] {
        hh.Front(u"hr: sales");
        hh.PressButton(kButton);
    });
    steps.Then([&] {
        hh.Click(IDC_WF_ACTIVE_OFF);
        hh.Click(IDOK);
    });
    steps.Then([&] {
        EXPECT_EQ(hh.ControlText(IDC_OFF_LIST), u"HR: ;");
        hh.Click(IDCANCEL);
    });
    RunSettings();
    EXPECT_TRUE(steps.Done());
}

TEST_F(FindWindowModeTest, PressesAndTicksDuringACaptureDoNothing) {
    ThenFindWindow();
    ThenCaptureNotes();
    std::size_t retakes = 0;
    steps.Then([&] {
        retakes = hh.UnregisterFunc1Calls().size();
        hh.PressButton(kButton);
    });
    steps.Then(
        [&] {
            EXPECT_EQ(hh.FrontCaption(), u"Window Found");
            EXPECT_EQ(Calls("CreateDialogIndirectW"), 2u);  // settings and one Window Found
            EXPECT_EQ(Calls("GetForegroundWindow"), 1u);
            EXPECT_EQ(hh.UnregisterFunc1Calls().size(), retakes);  // no tick re-took it
            hh.Click(IDOK);
        },
        1600);
    steps.Then([&] {
        EXPECT_TRUE(SettingsFront());
        EXPECT_EQ(Calls("CreateDialogIndirectW"), 2u);
        hh.Click(IDCANCEL);
    });
    RunSettings();
    EXPECT_TRUE(steps.Done());
}

TEST_F(FindWindowModeTest, TimerTicksTakeTheButtonBackFromTheShell) {
    ThenFindWindow();
    steps.Then([&] {
        hh.GetWorld().UnregisterHotKey(Dialog(), 0xC1);
        hh.GetWorld().ShellTake(MOD_WIN, kButton);
    });
    steps.Then(
        [&] {
            EXPECT_TRUE(HoldsButton());
            EXPECT_FALSE(hh.ShellHoldsAppButton1());
            hh.Front(u"Notes");
            hh.PressButton(kButton);
        },
        600);
    steps.Then([&] {
        EXPECT_EQ(hh.FrontCaption(), u"Window Found");
        hh.Click(IDCANCEL);
    });
    steps.Then([&] { hh.Click(IDCANCEL); });
    RunSettings();
    EXPECT_TRUE(steps.Done());
}

TEST_F(FindWindowModeTest, SettingsMidModeShowsTheDialogAndFindWindowAgainStartsNoSecondTimer) {
    ThenFindWindow();
    steps.Then([&] { RunSettings(); });  // chosen from the icon's menu
    steps.Then([&] {
        EXPECT_TRUE(SettingsFront());
        EXPECT_TRUE(HoldsButton());
        EXPECT_EQ(Timers(), 1u);
    });
    ThenFindWindow();
    steps.Then([&] {
        EXPECT_FALSE(SettingsShown());
        EXPECT_EQ(prompt.text, kFindWindowPrompt);
        EXPECT_EQ(Calls("SetTimer"), 1u);
        EXPECT_EQ(Timers(), 1u);
        EXPECT_EQ(hh.UnregisterFunc1Calls().size(), 2u);
    });
    ThenCaptureNotes();
    steps.Then([&] { hh.Click(IDOK); });
    steps.Then([&] {
        EXPECT_EQ(Timers(), 0u);
        hh.Click(IDCANCEL);
    });
    RunSettings();
    EXPECT_TRUE(steps.Done());
}

class CloseMidModeTest : public FindWindowModeTest, public ::testing::WithParamInterface<INT> {};

TEST_P(CloseMidModeTest, ClosingTheDialogMidModeGivesUpTheButtonAndTheTimer) {
    HWND dialog;
    ThenFindWindow();
    steps.Then([&] {
        dialog = Dialog();
        RunSettings();
    });
    steps.Then([&] { hh.Click(GetParam()); });
    RunSettings();

    EXPECT_TRUE(steps.Done());
    EXPECT_THAT(hh.GetWorld().HotKeys(), IsEmpty());
    EXPECT_THAT(hh.GetWorld().Timers(), IsEmpty());
    EXPECT_EQ(Calls("UnregisterHotKey"), 1u);
    EXPECT_EQ(Calls("KillTimer"), 1u);
    // The button reaches the shell again rather than a window that is gone.
    hh.PressButton(kButton);
    hh.Settle();
    EXPECT_FALSE(hh.GetWorld().Find(dialog));
}

INSTANTIATE_TEST_SUITE_P(OkAndCancel, CloseMidModeTest, ::testing::Values(IDOK, IDCANCEL));

TEST_F(FindWindowModeTest, TypingWhileTheDialogWasShownAgainSurvivesACapture) {
    ThenFindWindow();
    steps.Then([&] { RunSettings(); });
    steps.Then([&] {
        hh.TypeText(IDC_ON_RUN_LIST, u"Typed;");
        hh.Check(IDC_KEEP_PDA_ON, 1);
        hh.Front(u"Notes");
        hh.PressButton(kButton);
    });
    steps.Then([&] {
        hh.Click(IDC_WF_ACTIVE_OFF);
        hh.Click(IDOK);
    });
    steps.Then([&] {
        EXPECT_EQ(hh.ControlText(IDC_ON_RUN_LIST), u"Typed;");
        EXPECT_EQ(hh.ControlChecked(IDC_KEEP_PDA_ON), 1);
        EXPECT_EQ(hh.ControlText(IDC_OFF_LIST), u"HR: ;Notes");
        hh.Click(IDOK);
    });
    RunSettings();
    EXPECT_EQ(StoredText(kOnRunList), u"Typed;");
    EXPECT_EQ(StoredText(kOffList), u"HR: ;Notes");
    EXPECT_EQ(StoredInt(kKeepPDAOn), 1);
}

TEST_F(FindWindowModeTest, WithNoWindowInFrontTheCaptionOfferedIsEmpty) {
    ThenFindWindow();
    steps.Then([&] {
        hh.NoFront();
        hh.PressButton(kButton);
    });
    steps.Then([&] {
        EXPECT_EQ(hh.ControlText(IDC_WF_CAPTION), u"");
        hh.Click(IDC_WF_RUNNING);
        hh.Click(IDOK);
    });
    steps.Then([&] {
        EXPECT_EQ(hh.ControlText(IDC_ON_RUN_LIST), u"Internet explorer;#bBluetooth;");
        hh.Click(IDCANCEL);
    });
    RunSettings();
    EXPECT_TRUE(steps.Done());
}

struct Platform1 {
    bool coredll;
    bool unregisterFunc1;
    std::size_t shellReleases;
    std::size_t registrations;  // RegisterHotKey calls when the mode starts
    std::size_t frees;
    bool desktopKey;
};

class TakingTheButtonTest : public FindWindowModeTest,
                            public ::testing::WithParamInterface<Platform1> {};

TEST_P(TakingTheButtonTest, TheHotKeyIsRegisteredWhateverTheCoreLibraryOffers) {
    const Platform1& p = GetParam();
    hh.SetCoredllPresent(p.coredll);
    hh.SetUnregisterFunc1Present(p.unregisterFunc1);
    ThenFindWindow();
    steps.Then([&] {
        EXPECT_EQ(hh.UnregisterFunc1Calls().size(), p.shellReleases);
        EXPECT_EQ(Calls("RegisterHotKey"), p.registrations);
        EXPECT_EQ(Calls("FreeLibrary"), p.frees);
        const auto& keys = hh.GetWorld().HotKeys();
        const bool desktop = std::any_of(keys.begin(), keys.end(), [&](const sim::SimHotKey& k) {
            return k.hwnd == Dialog() && k.modifiers == 0x0003 && k.vk == 0x7B;
        });
        EXPECT_EQ(desktop, p.desktopKey);
        if (p.desktopKey) {
            hh.Front(u"Notes");
            hh.PressButton(0x7B);  // Ctrl+Alt+F12
        }
    });
    if (p.desktopKey) {
        steps.Then([&] {
            EXPECT_EQ(hh.ControlText(IDC_WF_CAPTION), u"Notes");
            hh.Click(IDCANCEL);
        });
        steps.Then([&] {
            EXPECT_THAT(hh.GetWorld().HotKeys(), IsEmpty());
            EXPECT_EQ(Calls("UnregisterHotKey"), 2u);
        });
    }
    steps.Then([&] {
        if (!SettingsShown())
            RunSettings();
    });
    steps.Then([&] { hh.Click(IDCANCEL); });
    RunSettings();
    EXPECT_TRUE(steps.Done());
}

INSTANTIATE_TEST_SUITE_P(Platforms, TakingTheButtonTest,
                         ::testing::Values(Platform1{true, true, 1, 1, 1, false},  // the device
                                           Platform1{true, false, 0, 1, 1, false},
                                           Platform1{false, false, 0, 2, 0, true}));  // desktop

TEST_F(FindWindowModeTest, TheTestCommandListsEveryNonEmptyCaptionCutTo255) {
    hh.OpenAppWindow(u"");
    hh.OpenAppWindow(std::u16string(300, u'x'));
    std::vector<std::u16string> expected;
    std::vector<std::u16string> shown;
    std::function<void()> collect = [&] {
        if (!hh.MessageBoxShown())
            return;
        EXPECT_EQ(hh.FrontMessageBoxRecord().caption, u"Velk");
        shown.push_back(hh.FrontMessageBox());
        hh.DismissMessageBox();
        steps.Next(collect);
    };
    steps.Then([&] {
        // Hidden: the user cannot reach it.
        EXPECT_THROW(hh.Click(IDC_TEST), sim::SimError);
        for (HWND h : hh.GetWorld().ZOrder()) {
            const std::u16string& caption = hh.GetWorld().Get(h).caption;
            if (!caption.empty())
                expected.push_back(caption.substr(0, 255));
        }
        platform.windows.PostMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_TEST, BN_CLICKED), 0);
    });
    steps.Then(collect);
    steps.Then([&] { hh.Click(IDCANCEL); });
    RunSettings();

    EXPECT_EQ(shown, expected);
    EXPECT_NE(std::find(shown.begin(), shown.end(), std::u16string(255, u'x')), shown.end());
    EXPECT_EQ(std::find(shown.begin(), shown.end(), u""), shown.end());
}

}  // namespace
}  // namespace velk::test
