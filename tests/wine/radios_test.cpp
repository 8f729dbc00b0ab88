// The switching system on the real desktop: the switch engine with the radio controls on
// the win32 backend, against the peer that plays the Bluetooth console, an application
// window in front, and the WLAN service waiting on its named events in another process.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "engine/engine_state.h"
#include "engine/rule_lists.h"
#include "engine/switch_engine.h"
#include "platform/resources.h"
#include "radio/radios.h"

#include "platform/win32/platform.h"

#include "harness.h"

namespace velk::wintest {
namespace {

std::vector<BYTE> StackMode() {
    ::DWORD type = 0;
    std::vector<BYTE> data;
    reg::GetValue(reg::Root::LocalMachine, kWidcommKey, L"StackMode", &type, &data);
    return data;
}

// The program's clean registry state, with a profile of its own for the store.
class RadiosOnWindows : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        store_.SetRegistryKey(u"Velk");
    }

    // The engine as the main frame wires it, on stored settings.
    void Ticks(int n) {
        EngineState state;
        LoadRuleLists(store_, state);
        BluetoothControl bluetooth(state.BTControl, backend_.windows, backend_.windows,
                                   backend_.registry, backend_.bluetooth);
        WlanControl wlan(backend_.power);
        Radios radios(bluetooth, wlan);
        SwitchEngine engine(state, backend_.windows, backend_.power, radios);
        int passedOn = 0;
        for (int i = 0; i < n; ++i)
            engine.Tick([&] { ++passedOn; });
        EXPECT_EQ(passedOn, n);
    }

    win32::Win32Backend backend_{FindMenuTemplate};
    RegistryProfile store_{backend_.registry, backend_.process};
};

TEST_F(RadiosOnWindows, RunningBrowserTurnsBluetoothOnThroughTheConsoleOnce) {
    TempFile log(L"console");
    ChildProcess console, browser;
    ASSERT_TRUE(StartConsolePeer(console, log.Path()));
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));

    Ticks(1);  // stored defaults: "Internet explorer" in the running list, Widcomm stack
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"4098 0"}));
    EXPECT_EQ(StackMode(), (std::vector<BYTE>{1, 0, 0, 0}));

    // The radio is on now: later ticks ask the stack and send nothing.
    Ticks(3);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"4098 0"}));
}

TEST_F(RadiosOnWindows, WithoutTheConsoleNothingIsSentAndNothingFails) {
    ChildProcess browser;
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));
    Ticks(2);
    EXPECT_EQ(StackMode(), (std::vector<BYTE>{0, 0, 0, 0}));
}

TEST_F(RadiosOnWindows, OffListInFrontTurnsBluetoothOff) {
    ASSERT_TRUE(store_.WriteProfileString(kSettingsSection, kOnRunList, u""));
    const ::DWORD on = 1;
    ASSERT_TRUE(
        reg::SetValue(reg::Root::LocalMachine, kWidcommKey, L"StackMode", REG_DWORD, &on, 4));
    TempFile log(L"console-off");
    ChildProcess console, hr;
    ASSERT_TRUE(StartConsolePeer(console, log.Path()));
    ASSERT_TRUE(StartWindowPeer(hr, L"HR: Sales"));  // default off list "HR: ;"

    Ticks(2);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"4097 0"}));
    EXPECT_EQ(StackMode(), (std::vector<BYTE>{0, 0, 0, 0}));
}

TEST_F(RadiosOnWindows, WiFiFallbackSignalsTheWlanServiceInAnotherProcess) {
    // Only a WiFi rule, so that the browser in front concerns WiFi alone.
    ASSERT_TRUE(store_.WriteProfileString(kSettingsSection, kOnList, u"#wInternet explorer;"));
    ASSERT_TRUE(store_.WriteProfileString(kSettingsSection, kOnRunList, u""));
    TempFile log(L"events");
    ChildProcess service, browser;
    ASSERT_TRUE(StartEventsPeer(service, log.Path()));
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));

    // The desktop has no power manager: powering the adapter up fails, so the fallback
    // runs, and the lock events are only reset, which wakes nobody.
    Ticks(3);
    const std::vector<std::string> expected = {"ready", "WALNStatusChangeEvent",
                                               "WLANDetectInsertPCMCIA"};
    EXPECT_TRUE(WaitUntil([&] { return log.Lines().size() >= expected.size(); }, 5000));
    ::Sleep(200);  // anything more would arrive now
    EXPECT_EQ(log.Lines(), expected);
}

}  // namespace
}  // namespace velk::wintest
