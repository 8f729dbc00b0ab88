#include "engine/switch_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/strings.h"
#include "tests/unit/support/fake_platform.h"

namespace velk {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Calls = std::vector<std::string>;

using test::RecordingRadios;

CStringArray Entries(std::initializer_list<const char16_t*> entries) {
    return test::FoldedEntries(entries);
}

class SwitchEngineTest : public ::testing::Test {
  protected:
    // Runs one tick and returns the radio calls it made.
    Calls Tick() {
        radios.calls.clear();
        engine.Tick([this] {
            ++passOns;
            busyAtPassOn = state.EngineBusy;
        });
        return radios.calls;
    }
    void Show(const char16_t* caption) { windows.Front(caption); }

    EngineState state;
    test::FakeDesktopWindows windows;
    test::FakePower power;
    RecordingRadios radios;
    SwitchEngine engine{state, windows, power, radios};
    int passOns = 0;
    INT busyAtPassOn = -1;
};

// --- the decision table for Bluetooth ---------------------------------------------------
//
// The front caption is "Word - Report". Each row says which of the Bluetooth lists has an
// entry for it, whether the caption is new, and whether a listed window is running. The
// WiFi default action is 1 in every row with no WiFi lists, so "TurnWiFiOn(0)" at the end
// shows that the tick went on to the default actions (and did not end early).

struct Row {
    const char* name;
    bool offFirst;
    bool changed;
    bool offMatches;
    RadioState before;
    bool running;
    bool activeMatches;
    INT defaultAction;
    Calls expected;
    RadioState after;
};

class DecisionTable : public SwitchEngineTest, public ::testing::WithParamInterface<Row> {};

TEST_P(DecisionTable, CallsAndRadioState) {
    const Row& row = GetParam();
    state.OffTakesPrecedence = row.offFirst ? 1 : 0;
    state.DefaultAction = row.defaultAction;
    state.WFDefaultAction = 1;
    state.BTRadioState = row.before;
    state.Lists.BTOffList = Entries({u"Notes", row.offMatches ? u"word -" : u"Mail"});
    state.Lists.BTOnList = Entries({u"Excel", row.activeMatches ? u"WORD" : u"Calc"});
    state.Lists.BTOnRunList = Entries({u"Sync", u"Media Player"});
    if (row.running)
        windows.Add(u"media player");
    Show(u"Word - Report");
    state.LastCaption = row.changed ? CString(u"previous") : CString(u"word - report");

    EXPECT_EQ(Tick(), row.expected);
    EXPECT_EQ(state.BTRadioState, row.after);
    EXPECT_EQ(state.LastCaption, u"word - report");
    EXPECT_EQ(passOns, 1);
    EXPECT_EQ(state.EngineBusy, 0);
}

const Calls kOn = {"TurnBluetoothOn(0)"};
const Calls kOnThenWiFi = {"TurnBluetoothOn(0)", "TurnWiFiOn(0)"};
const Calls kOffThenWiFi = {"TurnBluetoothOff(0)", "TurnWiFiOn(0)"};
const Calls kWiFiOnly = {"TurnWiFiOn(0)"};

// clang-format off
const Row kDecisionRows[] = {
    // OffTakesPrecedence set.
    {.name = "OffFirstChangedOffWinsOverRunningAndActive",
     .offFirst = true, .changed = true, .offMatches = true, .before = kRadioSwitchedOn,
     .running = true, .activeMatches = true, .defaultAction = kActionTurnOn,
     .expected = kOffThenWiFi, .after = kRadioSwitchedOff},
    {.name = "OffFirstChangedRunning",
     .offFirst = true, .changed = true, .offMatches = false, .before = kRadioSwitchedOff,
     .running = true, .activeMatches = true, .defaultAction = kActionLeave,
     .expected = kOnThenWiFi, .after = kRadioSwitchedOn},
    {.name = "OffFirstChangedActiveEndsTick",
     .offFirst = true, .changed = true, .offMatches = false, .before = kRadioSwitchedOff,
     .running = false, .activeMatches = true, .defaultAction = kActionLeave,
     .expected = kOn, .after = kRadioSwitchedOn},
    {.name = "OffFirstChangedDefaultOn",
     .offFirst = true, .changed = true, .offMatches = false, .before = kRadioSwitchedOff,
     .running = false, .activeMatches = false, .defaultAction = kActionTurnOn,
     .expected = kOnThenWiFi, .after = kRadioSwitchedOn},
    {.name = "OffFirstChangedDefaultOff",
     .offFirst = true, .changed = true, .offMatches = false, .before = kRadioSwitchedOn,
     .running = false, .activeMatches = false, .defaultAction = kActionTurnOff,
     .expected = kOffThenWiFi, .after = kRadioSwitchedOff},
    {.name = "OffFirstChangedDefaultLeave",
     .offFirst = true, .changed = true, .offMatches = false, .before = kRadioSwitchedOn,
     .running = false, .activeMatches = false, .defaultAction = kActionLeave,
     .expected = kWiFiOnly, .after = kRadioSwitchedOn},
    {.name = "OffFirstUnchangedHeldOff",
     .offFirst = true, .changed = false, .offMatches = true, .before = kRadioSwitchedOff,
     .running = true, .activeMatches = true, .defaultAction = kActionTurnOn,
     .expected = {}, .after = kRadioSwitchedOff},
    {.name = "OffFirstUnchangedNeverSwitchedRunning",
     .offFirst = true, .changed = false, .offMatches = true, .before = kRadioNotSwitched,
     .running = true, .activeMatches = true, .defaultAction = kActionTurnOff,
     .expected = kOn, .after = kRadioSwitchedOn},
    {.name = "OffFirstUnchangedOnRunning",
     .offFirst = true, .changed = false, .offMatches = false, .before = kRadioSwitchedOn,
     .running = true, .activeMatches = false, .defaultAction = kActionLeave,
     .expected = kOn, .after = kRadioSwitchedOn},
    {.name = "OffFirstUnchangedNotRunning",
     .offFirst = true, .changed = false, .offMatches = true, .before = kRadioSwitchedOn,
     .running = false, .activeMatches = true, .defaultAction = kActionTurnOff,
     .expected = {}, .after = kRadioSwitchedOn},
    // OffTakesPrecedence clear.
    {.name = "RunningBeatsOffAndActive",
     .offFirst = false, .changed = true, .offMatches = true, .before = kRadioSwitchedOff,
     .running = true, .activeMatches = true, .defaultAction = kActionTurnOff,
     .expected = kOnThenWiFi, .after = kRadioSwitchedOn},
    {.name = "UnchangedRunningEvenAfterOff",
     .offFirst = false, .changed = false, .offMatches = true, .before = kRadioSwitchedOff,
     .running = true, .activeMatches = true, .defaultAction = kActionTurnOff,
     .expected = kOn, .after = kRadioSwitchedOn},
    {.name = "UnchangedNotRunning",
     .offFirst = false, .changed = false, .offMatches = true, .before = kRadioSwitchedOn,
     .running = false, .activeMatches = true, .defaultAction = kActionTurnOff,
     .expected = {}, .after = kRadioSwitchedOn},
    {.name = "ActiveBeatsOffAndEndsTick",
     .offFirst = false, .changed = true, .offMatches = true, .before = kRadioSwitchedOff,
     .running = false, .activeMatches = true, .defaultAction = kActionTurnOff,
     .expected = kOn, .after = kRadioSwitchedOn},
    {.name = "OffList",
     .offFirst = false, .changed = true, .offMatches = true, .before = kRadioSwitchedOn,
     .running = false, .activeMatches = false, .defaultAction = kActionTurnOn,
     .expected = kOffThenWiFi, .after = kRadioSwitchedOff},
    {.name = "DefaultOn",
     .offFirst = false, .changed = true, .offMatches = false, .before = kRadioNotSwitched,
     .running = false, .activeMatches = false, .defaultAction = kActionTurnOn,
     .expected = kOnThenWiFi, .after = kRadioSwitchedOn},
    {.name = "DefaultOff",
     .offFirst = false, .changed = true, .offMatches = false, .before = kRadioNotSwitched,
     .running = false, .activeMatches = false, .defaultAction = kActionTurnOff,
     .expected = kOffThenWiFi, .after = kRadioSwitchedOff},
    {.name = "DefaultLeave",
     .offFirst = false, .changed = true, .offMatches = false, .before = kRadioNotSwitched,
     .running = false, .activeMatches = false, .defaultAction = kActionLeave,
     .expected = kWiFiOnly, .after = kRadioNotSwitched},
    {.name = "DefaultOutOfRangeActsAsLeave",
     .offFirst = false, .changed = true, .offMatches = false, .before = kRadioSwitchedOn,
     .running = false, .activeMatches = false, .defaultAction = 3,
     .expected = kWiFiOnly, .after = kRadioSwitchedOn},
    {.name = "DefaultNegativeActsAsLeave",
     .offFirst = false, .changed = true, .offMatches = false, .before = kRadioSwitchedOff,
     .running = false, .activeMatches = false, .defaultAction = -1,
     .expected = kWiFiOnly, .after = kRadioSwitchedOff},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(SwitchEngine, DecisionTable, ::testing::ValuesIn(kDecisionRows),
                         [](const auto& info) { return std::string(info.param.name); });

// --- WiFi and the interplay of the two radios ------------------------------------------

TEST_F(SwitchEngineTest, BluetoothActiveMatchEndsTheTickForWiFiNowAndLater) {
    state.Lists.BTOnList = Entries({u"Word"});
    state.Lists.WFOnList = Entries({u"Word"});
    state.Lists.WFOffList = Entries({u"Word"});
    state.WFDefaultAction = 2;
    Show(u"Word - Report");

    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOn(0)"));
    EXPECT_EQ(passOns, 1);
    EXPECT_EQ(busyAtPassOn, 1);  // passed on before the busy flag is cleared
    EXPECT_EQ(state.EngineBusy, 0);
    EXPECT_EQ(state.WFRadioState, -1);
    // The same caption at the next ticks: nothing more.
    EXPECT_THAT(Tick(), IsEmpty());
    EXPECT_THAT(Tick(), IsEmpty());
}

// With OffTakesPrecedence the WiFi off list and the running lists come before the
// Bluetooth active list, so they still act at a tick that list ends.
TEST_F(SwitchEngineTest, WiFiStepsBeforeTheBluetoothActiveListStillAct) {
    state.OffTakesPrecedence = 1;
    state.Lists.BTOnList = Entries({u"Word"});
    state.Lists.WFOffList = Entries({u"Word"});
    state.WFDefaultAction = 1;
    Show(u"Word");
    EXPECT_THAT(Tick(), ElementsAre("TurnWiFiOff(0)", "TurnBluetoothOn(0)"));
    EXPECT_EQ(state.WFRadioState, 0);

    state.Lists.WFOffList.clear();
    state.Lists.WFOnRunList = Entries({u"Sync"});
    windows.Add(u"Sync");
    state.WFRadioState = -1;
    Show(u"Word again");
    EXPECT_THAT(Tick(), ElementsAre("TurnWiFiOn(0)", "TurnBluetoothOn(0)"));
}

TEST_F(SwitchEngineTest, EveryMatchingWiFiActiveEntryTurnsWiFiOnAndDecidesIt) {
    state.Lists.WFOnList = Entries({u"Pocket", u"Mail", u"Pocket Out", u"pocket outlook"});
    state.Lists.WFOffList = Entries({u"Pocket"});
    state.WFDefaultAction = 2;
    Show(u"Pocket Outlook");
    EXPECT_THAT(Tick(), ElementsAre("TurnWiFiOn(0)", "TurnWiFiOn(0)", "TurnWiFiOn(0)"));
    EXPECT_EQ(state.WFRadioState, 1);
}

TEST_F(SwitchEngineTest, OnlyTheFirstMatchOfOtherListsCounts) {
    state.Lists.BTOffList = Entries({u"Word", u"Wo", u"W"});
    state.Lists.WFOffList = Entries({u"W", u"Word"});
    Show(u"Word");
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOff(0)", "TurnWiFiOff(0)"));
}

TEST_F(SwitchEngineTest, AnOffTheEngineMadeHoldsAgainstTheRunningListUntilTheCaptionChanges) {
    state.OffTakesPrecedence = 1;
    state.Lists.WFOffList = Entries({u"Game"});
    state.Lists.WFOnRunList = Entries({u"Browser"});
    state.Lists.BTOnRunList = Entries({u"Browser"});
    windows.Add(u"BROWSER");
    Show(u"Game");

    EXPECT_THAT(Tick(), ElementsAre("TurnWiFiOff(0)", "TurnBluetoothOn(0)"));
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOn(0)"));
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOn(0)"));
    EXPECT_EQ(state.WFRadioState, 0);

    Show(u"Desktop");  // a new caption releases the hold
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOn(0)", "TurnWiFiOn(0)"));
    EXPECT_EQ(state.WFRadioState, 1);
}

TEST_F(SwitchEngineTest, ADefaultOffHoldsToo) {
    state.OffTakesPrecedence = 1;
    state.DefaultAction = 2;
    state.Lists.BTOnRunList = Entries({u"Sync"});
    Show(u"Today");
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOff(0)"));
    EXPECT_EQ(state.BTRadioState, 0);
    windows.Add(u"Sync");
    EXPECT_THAT(Tick(), IsEmpty());
}

TEST_F(SwitchEngineTest, FirstCaptionedWindowAtStartIsAChange) {
    state.DefaultAction = 2;
    state.WFDefaultAction = 1;
    Show(u"Today");
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOff(0)", "TurnWiFiOn(0)"));
    EXPECT_EQ(state.BTRadioState, 0);
    EXPECT_EQ(state.WFRadioState, 1);
}

// --- captions ----------------------------------------------------------------------------

TEST_F(SwitchEngineTest, ACaptionChangingOnlyInLetterCaseIsNoChange) {
    state.DefaultAction = 1;
    state.Lists.WFOnList = Entries({u"Word"});
    const HWND front = windows.Front(u"Word - Report");
    EXPECT_THAT(Tick(), ElementsAre("TurnWiFiOn(0)", "TurnBluetoothOn(0)"));
    windows.SetCaption(front, u"WORD - REPORT");
    EXPECT_THAT(Tick(), IsEmpty());
    EXPECT_EQ(state.LastCaption, u"word - report");
}

TEST_F(SwitchEngineTest, NoFrontWindowAfterACaptionedOneIsAChangeToTheEmptyCaption) {
    state.DefaultAction = 2;
    state.Lists.BTOffList = Entries({u"x"});
    state.Lists.WFOnRunList = Entries({u"Sync"});
    windows.Add(u"sync");
    Show(u"Notes");
    Tick();
    windows.SetFront(HWND{});
    EXPECT_THAT(Tick(), ElementsAre("TurnWiFiOn(0)", "TurnBluetoothOff(0)"));
    EXPECT_EQ(state.LastCaption, u"");
    EXPECT_EQ(windows.Calls("GetWindowTextLengthW"), 1);  // only the first tick read one
    // Still no front window: no change.
    EXPECT_THAT(Tick(), ElementsAre("TurnWiFiOn(0)"));
}

TEST_F(SwitchEngineTest, TheEmptyCaptionMatchesNoEntry) {
    state.Lists.BTOnList = Entries({u"a"});
    state.Lists.BTOffList = Entries({u"b"});
    state.LastCaption = u"something";
    Show(u"");
    EXPECT_THAT(Tick(), IsEmpty());
    EXPECT_EQ(state.LastCaption, u"");
}

TEST_F(SwitchEngineTest, AnEntryLongerThanTheCaptionOrMatchingLaterDoesNotMatch) {
    state.Lists.BTOnList = Entries({u"Word - Report 2", u"Report"});
    Show(u"Word - Report");
    EXPECT_THAT(Tick(), IsEmpty());
}

TEST_F(SwitchEngineTest, ReadsALongCaptionWhole) {
    CString longCaption(5000, u'x');
    longCaption += u"END";
    state.Lists.BTOnList = Entries({longCaption.c_str()});
    Show(longCaption.c_str());
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOn(0)"));
}

// A caption that shrinks between the length and the text query is taken as copied.
TEST_F(SwitchEngineTest, ACaptionShrinkingDuringTheReadKeepsWhatWasCopied) {
    class Shrinking : public test::FakeDesktopWindows {
      public:
        INT GetWindowTextLengthW(HWND) override { return 40; }
    } shrinking;
    shrinking.Front(u"Mail");
    SwitchEngine e{state, shrinking, power, radios};
    state.Lists.BTOnList = Entries({u"Mail"});
    e.Tick([] {});
    EXPECT_EQ(state.LastCaption, u"mail");
    EXPECT_THAT(radios.calls, ElementsAre("TurnBluetoothOn(0)"));
}

// --- running lists -----------------------------------------------------------------------

TEST_F(SwitchEngineTest, RunningListsAskForEachEntryInOrderUntilOneIsFound) {
    state.Lists.BTOnRunList = Entries({u"Alpha", u"Beta", u"Gamma"});
    state.Lists.WFOnRunList = Entries({u"One", u"Two"});
    windows.Add(u"Beta");
    Show(u"Today");
    EXPECT_THAT(Tick(), ElementsAre("TurnBluetoothOn(0)"));
    EXPECT_THAT(windows.FindQueries(), ElementsAre(u"alpha", u"beta", u"one", u"two"));
}

TEST_F(SwitchEngineTest, AnUnchangedTickQueriesThePlatformOnlyAsNeeded) {
    state.Lists.BTOnRunList = Entries({u"A", u"B", u"C"});
    state.Lists.WFOnRunList = Entries({u"D", u"E"});
    state.Lists.BTOnList = Entries({u"x", u"y"});
    Show(u"Today");
    Tick();
    windows.ClearCalls();
    EXPECT_THAT(Tick(), IsEmpty());
    EXPECT_EQ(windows.Calls("GetForegroundWindow"), 1);
    EXPECT_EQ(windows.Calls("GetWindowTextLengthW"), 1);
    EXPECT_EQ(windows.Calls("GetWindowTextW"), 1);
    EXPECT_EQ(windows.Calls("FindWindowW"), 5);
    EXPECT_EQ(power.calls.size(), 0u);
}

// --- busy flag and passing the message on ------------------------------------------------

TEST_F(SwitchEngineTest, ABusyTickOnlyPassesTheMessageOn) {
    state.KeepPDAOn = 1;
    state.BTRadioState = 1;
    state.KeepOnTicks = 21;
    state.DefaultAction = 2;
    state.Lists.BTOnRunList = Entries({u"Sync"});
    windows.Add(u"Sync");
    Show(u"New");
    state.EngineBusy = 1;

    EXPECT_THAT(Tick(), IsEmpty());
    EXPECT_EQ(passOns, 1);
    EXPECT_EQ(state.EngineBusy, 1);
    EXPECT_EQ(state.KeepOnTicks, 21);
    EXPECT_EQ(state.LastCaption, u"");
    EXPECT_EQ(state.BTRadioState, 1);
    EXPECT_EQ(windows.Calls("GetForegroundWindow"), 0);
    EXPECT_EQ(windows.Calls("FindWindowW"), 0);
    EXPECT_THAT(power.calls, IsEmpty());
}

TEST_F(SwitchEngineTest, EveryTickPassesOnOnceWhileStillBusy) {
    Show(u"Today");
    Tick();
    Tick();
    EXPECT_EQ(passOns, 2);
    EXPECT_EQ(busyAtPassOn, 1);
    EXPECT_EQ(state.EngineBusy, 0);
}

// --- keep-awake pulse --------------------------------------------------------------------

TEST_F(SwitchEngineTest, KeepAwakePulseAtThe22ndAnd44thQualifyingTick) {
    state.KeepPDAOn = 1;
    state.BTRadioState = 1;
    Show(u"Today");
    std::vector<int> pulses;
    for (int tick = 1; tick <= 50; ++tick) {
        const int before = power.idleResets;
        Tick();
        if (power.idleResets != before)
            pulses.push_back(tick);
    }
    EXPECT_THAT(pulses, ElementsAre(22, 44));
}

TEST_F(SwitchEngineTest, KeepAwakeCountPausesWhileNoRadioIsOnAndResumes) {
    state.KeepPDAOn = 1;
    state.WFRadioState = 1;
    Show(u"Today");
    for (int i = 0; i < 15; ++i)
        Tick();
    state.WFRadioState = 0;
    for (int i = 0; i < 30; ++i)
        Tick();
    EXPECT_EQ(state.KeepOnTicks, 15);
    state.WFRadioState = 1;
    for (int i = 0; i < 6; ++i)
        Tick();
    EXPECT_EQ(power.idleResets, 0);
    Tick();  // the 22nd qualifying tick
    EXPECT_EQ(power.idleResets, 1);
    EXPECT_EQ(state.KeepOnTicks, 0);
}

TEST_F(SwitchEngineTest, NoKeepAwakePulseWithoutARadioTurnedOnOrWithoutTheOption) {
    state.KeepPDAOn = 1;
    Show(u"Today");
    for (int i = 0; i < 100; ++i)
        Tick();
    state.KeepPDAOn = 0;
    state.BTRadioState = 1;
    for (int i = 0; i < 100; ++i)
        Tick();
    EXPECT_EQ(power.idleResets, 0);
    EXPECT_EQ(state.KeepOnTicks, 0);
}

// The pulse looks at what the previous tick left: the tick that first switches a radio
// on does not count.
TEST_F(SwitchEngineTest, KeepAwakeJudgesTheStateBeforeTheTick) {
    state.KeepPDAOn = 1;
    state.DefaultAction = 1;
    Show(u"Today");
    Tick();
    EXPECT_EQ(state.KeepOnTicks, 0);
    Tick();
    EXPECT_EQ(state.KeepOnTicks, 1);
}

}  // namespace
}  // namespace velk
