// The simulated device as a scenario shapes it: check boxes that answer as the
// platform's, the Bluetooth library present or not, the display's size, and a trace
// that keeps only what someone asks for.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "apps/velk-sim/runner.h"
#include "apps/velk-sim/scenario.h"
#include "config/settings.h"
#include "platform/resources.h"
#include "platform/sim/handheld.h"
#include "res/resource_ids.h"
#include "tests/unit/support/check_box_cases.h"
#include "tests/unit/support/settings_fixture.h"

namespace velk {
namespace {

// --- check boxes ------------------------------------------------------------------------

constexpr DialogItemTemplate kBoxes[] = {
    {kClassButton, u"two", 11, 0, 0, 50, 10, WS_CHILD | WS_VISIBLE | BS_CHECKBOX},
    {kClassButton, u"auto", 12, 0, 12, 50, 10, WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX},
    {kClassButton, u"three", 13, 0, 24, 50, 10, WS_CHILD | WS_VISIBLE | BS_3STATE},
    {kClassButton, u"auto3", 14, 0, 36, 50, 10, WS_CHILD | WS_VISIBLE | BS_AUTO3STATE},
};
constexpr DialogTemplate kBoxDialog{900, u"Boxes", WS_POPUP | WS_VISIBLE, 0, 80, 60, u"Tahoma",
                                    8,   kBoxes};

class CheckBoxTest : public ::testing::TestWithParam<test::CheckBoxCase> {
  protected:
    CheckBoxTest()
        : windows(hh.WindowsFor(hh.CreateProcess(u"\\Windows\\Velk.exe"))),
          dialog(windows.CreateDialogIndirectW(kBoxDialog, HWND{}, nullptr)) {}

    LRESULT SetAndGet(INT id, int value) {
        const HWND box = windows.GetDlgItem(dialog, id);
        windows.SendMessageW(box, BM_SETCHECK, static_cast<WPARAM>(value), 0);
        return windows.SendMessageW(box, BM_GETCHECK, 0, 0);
    }

    sim::SimHandheld hh;
    IWindowSystem& windows;
    HWND dialog;
};

TEST_P(CheckBoxTest, ATwoStateBoxShowsAnyValueAboveOneAsChecked) {
    EXPECT_EQ(SetAndGet(11, GetParam().value), GetParam().shownAfterSetCheck);
    EXPECT_EQ(SetAndGet(12, GetParam().value), GetParam().shownAfterSetCheck);
}

TEST_P(CheckBoxTest, AThreeStateBoxShowsAnyValueAboveTwoAsIndeterminate) {
    const int value = GetParam().value;
    const LRESULT expected = (value < 0 || value > 2) ? 2 : value;
    EXPECT_EQ(SetAndGet(13, value), expected);
    EXPECT_EQ(SetAndGet(14, value), expected);
}

INSTANTIATE_TEST_SUITE_P(Values, CheckBoxTest, ::testing::ValuesIn(test::kCheckBoxCases));

class StoredCheckTest : public test::SettingsFixture,
                        public ::testing::WithParamInterface<test::CheckBoxCase> {};

TEST_P(StoredCheckTest, TheSettingsDialogShowsAndStoresWhatThePlatformWould) {
    const auto stored = static_cast<DWORD>(GetParam().value);
    StoreInt(kKeepPDAOn, stored);
    StoreInt(kOffTakesPrecedence, stored);
    steps.Then([&] {
        EXPECT_EQ(hh.ControlChecked(IDC_KEEP_PDA_ON), GetParam().shownFromStored);
        EXPECT_EQ(hh.ControlChecked(IDC_OFF_TAKES_PRECEDENCE), GetParam().shownFromStored);
        hh.Click(IDOK);
    });
    RunSettings();
    EXPECT_EQ(StoredInt(kKeepPDAOn), GetParam().storedOnOk);
    EXPECT_EQ(StoredInt(kOffTakesPrecedence), GetParam().storedOnOk);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredCheckTest, ::testing::ValuesIn(test::kCheckBoxCases));

// --- the Bluetooth library --------------------------------------------------------------

TEST(SimBluetoothLibrary, WithoutItEveryCallFailsAndNothingChanges) {
    sim::SimHandheld hh;
    IBluetooth& program = hh.PlatformFor(hh.CreateProcess(u"\\Windows\\Velk.exe")).bluetooth;
    hh.Bluetooth().SetMode(2);
    hh.SetBluetoothLibraryPresent(false);
    DWORD mode = 77;
    EXPECT_EQ(program.BthSetMode(0), sim::kBthNotImplemented);
    EXPECT_EQ(program.BthGetMode(&mode), sim::kBthNotImplemented);
    EXPECT_EQ(mode, 77u);
    EXPECT_EQ(hh.Bluetooth().Mode(), 2u);
    EXPECT_EQ(hh.GetTrace().Count("BthSetMode"), 1u);  // still traced
}

TEST(SimBluetoothLibrary, InstalledAgainItStartsInTheDevicesInitialMode) {
    sim::SimHandheld hh;
    hh.Bluetooth().SetMode(1);
    hh.SetBluetoothLibraryPresent(false);
    hh.Bluetooth().BthSetMode(2);
    hh.SetBluetoothLibraryPresent(true);
    EXPECT_EQ(hh.Bluetooth().Mode(), sim::kBthInitialMode);
    hh.SetBluetoothLibraryPresent(true);  // already there: untouched
    hh.Bluetooth().SetMode(1);
    hh.SetBluetoothLibraryPresent(true);
    EXPECT_EQ(hh.Bluetooth().Mode(), 1u);
}

// --- velk-sim: screen and bt-stack --------------------------------------------------------

struct Played {
    std::string timeline;
    int failures = 0;
};

Played Play(sim::SimHandheld& hh, const std::string& text, bool trace = false) {
    std::ostringstream out;
    simrun::RunnerOptions options;
    options.trace = trace;
    simrun::Runner runner(hh, out, options);
    Played p;
    p.failures = runner.Play(simrun::ParseScenario(text, "t"), "t");
    p.timeline = out.str();
    return p;
}

TEST(VelkSimScreen, TheDisplaySizeSetsTheMenuBarAndSoTheIcon) {
    struct Row {
        const char* screen;
        WORD icon;
    };
    for (const Row row : {Row{nullptr, IDI_TRAY_SMALL}, Row{"240x320", IDI_TRAY_SMALL},
                          Row{"480x640", IDI_TRAY_LARGE}, Row{"640x480", IDI_TRAY_LARGE}}) {
        sim::SimHandheld hh;
        const std::string screen = row.screen ? std::string("screen ") + row.screen + "\n" : "";
        const Played p = Play(hh, screen + "launch\nwait 100\n", true);
        EXPECT_NE(p.timeline.find("icon " + std::to_string(row.icon) + "}"), std::string::npos)
            << (row.screen ? row.screen : "default") << "\n"
            << p.timeline;
    }
}

TEST(VelkSimScreen, SizesOutsideTheBoundsOrWhileACopyRunsAreRefused) {
    for (const char* bad : {"screen 99x320", "screen 240x5000", "screen 240", "screen 2x3x4",
                            "screen -240x320", "screen 240x+320", "screen big"})
        EXPECT_THROW(simrun::ParseScenario(bad, "t"), simrun::ScenarioError) << bad;
    EXPECT_NO_THROW(simrun::ParseScenario("screen 100x4096\nscreen 800X600", "t"));

    sim::SimHandheld hh;
    try {
        Play(hh, "launch\nwait 100\nscreen 480x640\n");
        FAIL() << "the screen changed under a running copy";
    } catch (const simrun::ScenarioError& e) {
        EXPECT_EQ(e.Line(), 3);
    }
}

TEST(VelkSimBluetoothStack, NoneLeavesTheModeAndMicrosoftLaterShowsTheInitialMode) {
    sim::SimHandheld hh;
    // The program tries to switch the Microsoft stack on while no library is there.
    hh.Registry().SetDword(HKEY_CURRENT_USER, test::kSettingsPath, kBTControl, 1);
    hh.Registry().SetString(HKEY_CURRENT_USER, test::kSettingsPath, kOnList, u"Word");
    const Played p = Play(hh,
                          "bt-stack none\nlaunch\nwait 100\nopen \"Word\"\nwait 3000\n"
                          "expect bt off\nexpect calls \"BthSetMode\" 1\n"
                          "bt-stack microsoft\nexpect bt off\n");
    EXPECT_EQ(p.failures, 0) << p.timeline;
    EXPECT_EQ(hh.Bluetooth().Mode(), sim::kBthInitialMode);
}

// --- the trace -----------------------------------------------------------------------------

TEST(SimTrace, KeepsCountsAlwaysAndFormatsArgumentsOnlyWhenWanted) {
    sim::Trace trace;
    int formatted = 0;
    auto args = [&] {
        ++formatted;
        return std::string("a");
    };
    trace.Record(1, "X", args);
    EXPECT_EQ(formatted, 1);
    ASSERT_EQ(trace.Entries().size(), 1u);

    trace.KeepEntries(false);
    EXPECT_TRUE(trace.Entries().empty());
    std::size_t calls = 0;
    trace.SetCallListener([&](const sim::TraceCall& c) {
        if (c.name == "X")
            ++calls;
    });
    for (int i = 0; i < 1000; ++i)
        trace.Record(2, "X", args);
    trace.Record(3, std::string("Y"), "plain text");
    EXPECT_EQ(formatted, 1);
    EXPECT_EQ(calls, 1000u);
    EXPECT_EQ(trace.Count("X"), 1001u);
    EXPECT_EQ(trace.Count("Y"), 1u);
    EXPECT_TRUE(trace.Entries().empty());

    std::string seen;
    trace.SetListener([&](const sim::TraceEntry& e) { seen = e.name + "(" + e.args + ")"; });
    trace.Record(4, "Z", args);
    EXPECT_EQ(seen, "Z(a)");
    EXPECT_TRUE(trace.Entries().empty());

    trace.Clear();
    EXPECT_EQ(trace.Count("X"), 0u);
    trace.Record(5, "X", "again");
    EXPECT_EQ(trace.Count("X"), 1u);
}

TEST(SimTrace, NamesThatShareAnAddressButNotTheirTextAreCountedApart) {
    sim::Trace trace;
    trace.KeepEntries(false);
    std::string name = "First";
    trace.Record(0, name, "");
    name.replace(0, 5, "Other");  // same storage, new text
    trace.Record(0, name, "");
    EXPECT_EQ(trace.Count("First"), 1u);
    EXPECT_EQ(trace.Count("Other"), 1u);
}

}  // namespace
}  // namespace velk
