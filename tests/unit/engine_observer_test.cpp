// The engine tells an observer of each decision it takes, around the switching call it
// makes for it; with or without an observer the engine calls the radios the same way.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "engine/switch_engine.h"
#include "platform/strings.h"
#include "tests/unit/support/fake_platform.h"

namespace velk {
namespace {

using Log = std::vector<std::string>;

std::string Describe(const EngineDecision& d) {
    std::string out = std::string(DecisionSourceName(d.source)) +
                      (d.radio == EngineRadio::Bluetooth ? " BT " : " WF ") +
                      (d.turnOn ? "on" : "off");
    if (d.entry != nullptr)
        out += " \"" + ToUtf8(*d.entry) + "\"";
    else
        out += " action " + std::to_string(d.action);
    return out + (d.endsTick ? " ends" : "");
}

// Radio calls and observer calls, in one sequence.
class Recorder : public test::RecordingRadios, public IEngineObserver {
  public:
    void TickBegins() override { calls.push_back("tick"); }
    void Deciding(const EngineDecision& d) override { calls.push_back("> " + Describe(d)); }
    void Decided(const EngineDecision& d) override { calls.push_back("< " + Describe(d)); }
    void HeldOff(EngineRadio r) override {
        calls.push_back(r == EngineRadio::Bluetooth ? "held BT" : "held WF");
    }
};

CStringArray Entries(std::initializer_list<const char16_t*> entries) {
    return test::FoldedEntries(entries);
}

struct Row {
    const char* name;
    CStringArray btOn{};
    CStringArray btRun{};
    CStringArray btOff{};
    CStringArray wfOn{};
    CStringArray wfRun{};
    CStringArray wfOff{};
    bool offFirst = false;
    bool changed = true;
    RadioState bt = kRadioNotSwitched;
    RadioState wf = kRadioNotSwitched;
    INT btDefault = kActionLeave;
    INT wfDefault = kActionLeave;
    Log expected;
};

class ObserverTable : public ::testing::TestWithParam<Row> {
  protected:
    // One tick with front caption "Word - Report" and "Media Player" running.
    Log Tick(const Row& row, bool observe) {
        EngineState state;
        state.Lists = {.BTOnList = row.btOn,
                       .BTOnRunList = row.btRun,
                       .BTOffList = row.btOff,
                       .WFOnList = row.wfOn,
                       .WFOnRunList = row.wfRun,
                       .WFOffList = row.wfOff};
        state.OffTakesPrecedence = row.offFirst ? 1 : 0;
        state.BTRadioState = row.bt;
        state.WFRadioState = row.wf;
        state.DefaultAction = row.btDefault;
        state.WFDefaultAction = row.wfDefault;
        state.LastCaption = row.changed ? CString(u"before") : CString(u"word - report");
        test::FakeDesktopWindows windows;
        windows.Add(u"Media Player");
        windows.Front(u"Word - Report");
        test::FakePower power;
        Recorder recorder;
        SwitchEngine engine(state, windows, power, recorder);
        if (observe)
            engine.SetObserver(&recorder);
        engine.Tick([] {});
        return recorder.calls;
    }
};

TEST_P(ObserverTable, EachDecisionIsToldAroundItsSwitchingCall) {
    const Row& row = GetParam();
    Log expected = row.expected;
    expected.insert(expected.begin(), "tick");
    EXPECT_EQ(Tick(row, true), expected);
}

TEST_P(ObserverTable, TheObserverChangesNothingTheEngineDoes) {
    const Row& row = GetParam();
    Log calls;
    for (const std::string& line : row.expected)
        if (line.find('(') != std::string::npos)
            calls.push_back(line);
    EXPECT_EQ(Tick(row, false), calls);
}

INSTANTIATE_TEST_SUITE_P(
    Decisions, ObserverTable,
    ::testing::Values(
        Row{.name = "RunningEntryFirstThatExists",
            .btRun = Entries({u"Sync", u"MEDIA player", u"Media"}),
            .expected = {"> OnRunList BT on \"media player\"", "TurnBluetoothOn(0)",
                         "< OnRunList BT on \"media player\""}},
        Row{.name = "BluetoothActiveMatchEndsTheTick",
            .btOn = Entries({u"Excel", u"Word"}),
            .wfOn = Entries({u"Word"}),
            .wfDefault = kActionTurnOn,
            .expected = {"> OnList BT on \"word\" ends", "TurnBluetoothOn(0)",
                         "< OnList BT on \"word\" ends"}},
        Row{.name = "EveryMatchingWiFiActiveEntry",
            .wfOn = Entries({u"Word", u"Excel", u"Word - "}),
            .expected = {"> OnList WF on \"word\"", "TurnWiFiOn(0)", "< OnList WF on \"word\"",
                         "> OnList WF on \"word - \"", "TurnWiFiOn(0)",
                         "< OnList WF on \"word - \""}},
        Row{.name = "OffListLastLosesToRunning",
            .btRun = Entries({u"Media Player"}),
            .btOff = Entries({u"Word"}),
            .wfOff = Entries({u"Calc", u"Word -"}),
            .expected = {"> OnRunList BT on \"media player\"", "TurnBluetoothOn(0)",
                         "< OnRunList BT on \"media player\"", "> OffList WF off \"word -\"",
                         "TurnWiFiOff(0)", "< OffList WF off \"word -\""}},
        Row{.name = "OffFirstThenBluetoothActive",
            .btOn = Entries({u"Word"}),
            .wfOff = Entries({u"Word"}),
            .offFirst = true,
            .expected = {"> OffList WF off \"word\"", "TurnWiFiOff(0)", "< OffList WF off \"word\"",
                         "> OnList BT on \"word\" ends", "TurnBluetoothOn(0)",
                         "< OnList BT on \"word\" ends"}},
        Row{.name = "OffHoldsAgainstRunningWhileUnchanged",
            .btRun = Entries({u"Media Player"}),
            .wfRun = Entries({u"Media Player"}),
            .offFirst = true,
            .changed = false,
            .bt = kRadioSwitchedOff,
            .wf = kRadioSwitchedOn,
            .expected = {"held BT", "> OnRunList WF on \"media player\"", "TurnWiFiOn(0)",
                         "< OnRunList WF on \"media player\""}},
        Row{.name = "DefaultActionsWithTheirCodes",
            .btDefault = kActionTurnOff,
            .wfDefault = kActionTurnOn,
            .expected = {"> DefaultAction BT off action 2", "TurnBluetoothOff(0)",
                         "< DefaultAction BT off action 2", "> WFDefaultAction WF on action 1",
                         "TurnWiFiOn(0)", "< WFDefaultAction WF on action 1"}},
        Row{.name = "LeaveAndUnknownActionsDecideNothing",
            .btDefault = kActionLeave,
            .wfDefault = 7,
            .expected = {}},
        Row{.name = "UnchangedWithoutRunningDecidesNothing",
            .btOn = Entries({u"Word"}),
            .btOff = Entries({u"Word"}),
            .changed = false,
            .btDefault = kActionTurnOn,
            .expected = {}}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velk

namespace velk {
namespace {

// A tick skipped while the engine is busy tells the observer nothing.
TEST(EngineObserver, SkippedTickIsNotTold) {
    EngineState state;
    state.EngineBusy = 1;
    state.DefaultAction = kActionTurnOn;
    test::FakeDesktopWindows windows;
    windows.Front(u"Word");
    test::FakePower power;
    Recorder recorder;
    SwitchEngine engine(state, windows, power, recorder);
    engine.SetObserver(&recorder);
    int passOns = 0;
    engine.Tick([&] { ++passOns; });
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(passOns, 1);
}

}  // namespace
}  // namespace velk
