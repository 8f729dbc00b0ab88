// Velk.exe on the handheld's own services, end to end: the device's libraries are
// installed into the system directory (device_fixture.h), the program runs its rules, its
// settings dialog and its Find Window mode, and the calls that reach the device are
// checked with their arguments and in their order.
#include <gtest/gtest.h>

#include <algorithm>

#include "config/find_window_mode.h"

#include "device_fixture.h"
#include "program.h"

namespace velk::wintest {
namespace {

const std::string kAdapter = "{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1";

std::string Handle(::HWND hwnd) {
    return std::to_string(reinterpret_cast<unsigned long long>(hwnd));
}

class DeviceServices : public OnTheDevice {
  protected:
    void TearDown() override {
        velk_.Stop();
        OnTheDevice::TearDown();
    }

    ::HWND StartProgram(const std::vector<std::wstring>& args) {
        if (!velk_.Start(ProgramPath(), args))
            return nullptr;
        return frame_ = WaitForProcessWindow(velk_.Id(), L"Velk");
    }

    // Waits until the log holds at least n lines that begin with prefix.
    bool WaitForCalls(const std::string& prefix, std::size_t n, DWORD milliseconds = 10000) {
        return WaitUntil([&] { return Calls({prefix}).size() >= n; }, milliseconds);
    }

    ChildProcess velk_;
    ::HWND frame_ = nullptr;
};

// --- WiFi: the power manager, and the fallback when the adapter will not power up ----

struct WlanRow {
    const char* name;
    ::DWORD adapterState;
    bool powerUpFails;
    std::vector<std::string> expected;  // the power and kernel calls, in order
};

const std::string kQueryD4 = "GetDevicePower " + kAdapter + " 1 state -> 0 4";
const std::vector<std::string> kFallback = {
    "KernelIoControl 0x01010127 1 4 null 0 null", "EventModify WALNStatusChangeEvent 3 -> 1",
    "EventModify ShouldLockWlanUI 2 -> 1",        "EventModify ShouldUnLockWlanUI 2 -> 1",
    "EventModify WLANDetectInsertPCMCIA 3 -> 1",  "KernelIoControl 0x01010128 null 0 1 4 0",
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const WlanRow kWlanRows[] = {
    {"PowerUpFailsSoTheFallbackRunsInOrder", 4, true,
     Concat({kQueryD4, "SetDevicePower " + kAdapter + " 1 0 -> 31"}, kFallback)},
    {"PowerUpSucceedsAndNothingElseIsTouched",
     4,
     false,
     {kQueryD4, "SetDevicePower " + kAdapter + " 1 0 -> 0"}},
    {"AdapterAlreadyAtFullPowerIsOnlyAsked",
     0,
     false,
     {"GetDevicePower " + kAdapter + " 1 state -> 0 0"}},
};

class WlanOnTheDevice : public DeviceServices, public ::testing::WithParamInterface<WlanRow> {};

TEST_P(WlanOnTheDevice, AnActiveWiFiEntryPowersTheAdapter) {
    const WlanRow& row = GetParam();
    device::Set(L"WlanState", row.adapterState);
    device::Set(L"PowerUpFails", row.powerUpFails ? 1 : 0);
    device::Set(L"BringUpOnFallback", 1);
    StoreText(L"OnList", L"#wInternet explorer;");
    StoreText(L"OffList", L"#wHR: ;");
    StoreText(L"OnRunList", L"");
    ASSERT_TRUE(StartProgram({L"100"}));
    ChildProcess browser;
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));

    const std::vector<std::string> kinds = {"GetDevicePower", "SetDevicePower", "KernelIoControl",
                                            "EventModify"};
    ASSERT_TRUE(WaitUntil([&] { return Calls(kinds).size() >= row.expected.size(); }))
        << ::testing::PrintToString(AllCalls());
    ::Sleep(600);  // six more ticks, the caption unchanged: nothing more
    EXPECT_EQ(Calls(kinds), row.expected);
    // The device played its part: the adapter is up in every row.
    ::DWORD state = 9;
    ASSERT_TRUE(device::Get(L"WlanState", &state));
    EXPECT_EQ(state, 0u);

    // An off entry in front powers it down.
    ChildProcess hr;
    ASSERT_TRUE(StartWindowPeer(hr, L"HR: Sales"));
    ASSERT_TRUE(WaitForCalls("SetDevicePower " + kAdapter + " 1 4", 1));
    EXPECT_TRUE(device::Get(L"WlanState", &state));
    EXPECT_EQ(state, 4u);
    const std::vector<std::string> calls = Calls(kinds);
    ASSERT_EQ(calls.size(), row.expected.size() + 2);
    EXPECT_EQ(calls[row.expected.size()], "GetDevicePower " + kAdapter + " 1 state -> 0 0");
    EXPECT_EQ(calls.back(), "SetDevicePower " + kAdapter + " 1 4 -> 0");
}

INSTANTIATE_TEST_SUITE_P(Rows, WlanOnTheDevice, ::testing::ValuesIn(kWlanRows),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Bluetooth: the Microsoft stack's modes ------------------------------------------

struct StackRow {
    const char* name;
    ::DWORD stackCode;     // BTControl
    ::DWORD initialMode;   // the radio's mode before the program starts
    const char* switchOn;  // the call that the running browser causes, or null for none
};

const StackRow kStackRows[] = {
    {"ConnectableFromOff", 1, 0, "BthSetMode 1 -> 0"},
    {"DiscoverableFromOff", 2, 0, "BthSetMode 2 -> 0"},
    {"DiscoverableWhileConnectableCountsAsOn", 2, 1, nullptr},
    {"ConnectableWhileDiscoverableCountsAsOn", 1, 2, nullptr},
};

class StackOnTheDevice : public DeviceServices, public ::testing::WithParamInterface<StackRow> {};

TEST_P(StackOnTheDevice, RunningBrowserTurnsBluetoothOnAndAnOffEntryTurnsItOff) {
    const StackRow& row = GetParam();
    device::Set(L"BthMode", row.initialMode);
    StoreInt(L"BTControl", row.stackCode);
    StoreText(L"OnList", L"");
    ChildProcess browser;
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));  // in the default running list
    ASSERT_TRUE(StartProgram({L"100"}));

    // Every tick asks the stack; only the first finds the radio off.
    ASSERT_TRUE(WaitForCalls("BthGetMode", 4));
    std::vector<std::string> calls = Calls({"BthGetMode", "BthSetMode"});
    std::vector<std::string> expected = {"BthGetMode mode -> 0 " + std::to_string(row.initialMode)};
    const ::DWORD on = row.switchOn ? row.stackCode : row.initialMode;
    if (row.switchOn)
        expected.push_back(row.switchOn);
    for (int tick = 1; tick < 4; ++tick)
        expected.push_back("BthGetMode mode -> 0 " + std::to_string(on));
    calls.resize(std::min(calls.size(), expected.size()));
    EXPECT_EQ(calls, expected);

    // The browser goes and an off entry comes to the front.
    browser.Stop();
    ChildProcess hr;
    ASSERT_TRUE(StartWindowPeer(hr, L"HR: Sales"));
    ASSERT_TRUE(WaitForCalls("BthSetMode 0", 1));
    ::DWORD mode = 9;
    EXPECT_TRUE(device::Get(L"BthMode", &mode));
    EXPECT_EQ(mode, 0u);
    calls = Calls({"BthSetMode"});
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "BthSetMode 0 -> 0"), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, StackOnTheDevice, ::testing::ValuesIn(kStackRows),
                         [](const auto& info) { return std::string(info.param.name); });

// --- keeping the device awake ----------------------------------------------------------

TEST_F(DeviceServices, KeepAwakePulsesAtTheTwentySecondQualifyingTickAndEveryTwentySecondAfter) {
    device::Set(L"BthMode", 0);
    StoreInt(L"BTControl", 1);
    StoreInt(L"KeepPDAOn", 1);
    StoreText(L"OnList", L"");
    ChildProcess browser;
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));
    ASSERT_TRUE(StartProgram({L"20"}));
    // One BthGetMode a tick (the running list asks at every tick).
    ASSERT_TRUE(WaitForCalls("BthGetMode", 50, 20000));
    velk_.Stop();

    // Tick 1 turns the radio on; ticks 2, 3, ... qualify; the pulse comes at the 22nd
    // qualifying tick (tick 23), before that tick's query, and again at tick 45.
    const std::vector<std::string> calls = Calls({"BthGetMode", "SystemIdleTimerReset"});
    std::vector<int> pulsesAtTick;
    int ticks = 0;
    for (const std::string& call : calls) {
        if (call.rfind("BthGetMode", 0) == 0)
            ++ticks;
        else
            pulsesAtTick.push_back(ticks + 1);
    }
    ASSERT_GE(ticks, 50);
    EXPECT_EQ(pulsesAtTick, (std::vector<int>{23, 45}));
}

TEST_F(DeviceServices, NoPulseWhileNothingWasTurnedOn) {
    device::Set(L"BthMode", 1);  // already on: the engine's call changes nothing, and counts
    StoreInt(L"BTControl", 1);
    StoreInt(L"KeepPDAOn", 0);
    StoreText(L"OnList", L"");
    ChildProcess browser;
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));
    ASSERT_TRUE(StartProgram({L"20"}));
    ASSERT_TRUE(WaitForCalls("BthGetMode", 30, 20000));
    velk_.Stop();
    EXPECT_TRUE(Calls({"SystemIdleTimerReset"}).empty());
}

// --- the shell -------------------------------------------------------------------------

class ShellOnTheDevice : public DeviceServices {
  protected:
    ::HWND OpenSettings() {
        const ::HWND frame = StartProgram({});
        return RunSettingsCommand(velk_.Id(), frame);
    }
};

TEST_F(ShellOnTheDevice, TheShellInitialisesTheProgramItsMenuBarAndTheSettingsDialog) {
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(WaitForCalls("SHHandleWMActivate " + Handle(dialog), 1));

    const std::vector<std::string> calls =
        Calls({"SHInitExtraControls", "SHCreateMenuBar", "SHInitDialog"});
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], "SHInitExtraControls");
    // The frame's command bar from the empty menu-bar resource.
    EXPECT_EQ(calls[1].rfind("SHCreateMenuBar " + Handle(frame_) + " 0 28700 -> ", 0), 0u)
        << calls[1];
    // Mask: flags; flags: Done button, full screen, input panel down.
    EXPECT_EQ(calls[2], "SHInitDialog 1 " + Handle(dialog) + " 13");
    // Activation reaches the shell with the backend's own record of the dialog.
    const std::string activate = Calls({"SHHandleWMActivate " + Handle(dialog)}).front();
    EXPECT_NE(activate.find(" 24 0"), std::string::npos) << activate;

    // The program's menu bar is hidden with its other windows.
    const std::string bar = calls[1].substr(calls[1].rfind(' ') + 1);
    const auto barWindow = reinterpret_cast<::HWND>(std::stoull(bar));
    EXPECT_TRUE(::IsWindow(barWindow));
    EXPECT_FALSE(::IsWindowVisible(barWindow));
}

TEST_F(ShellOnTheDevice, FindWindowTakesApplicationButtonOneFromTheShellUntilTheModeEnds) {
    const ::HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Calls({"UnregisterFunc1"}).empty());
    Click(dialog, IDC_FIND_WINDOW);
    ::HWND prompt = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (prompt = VisibleWindowOf(velk_.Id(), L"Velk", L"#32770")) != nullptr; }));
    ::PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(dialog); }));

    // Taken when the mode starts, and again at every tick of its 500 ms timer.
    ASSERT_TRUE(WaitForCalls("UnregisterFunc1", 3, 5000));
    for (const std::string& call : Calls({"UnregisterFunc1"}))
        EXPECT_EQ(call, "UnregisterFunc1 8 193");

    ChildProcess memo;
    ASSERT_TRUE(StartSettledWindowPeer(memo, L"Memo Pad"));
    ::PostMessageW(dialog, WM_HOTKEY, kAppButtonHotKeyId, 0);
    ::HWND found = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (found = VisibleWindowOf(velk_.Id(), L"Window Found", L"#32770")) != nullptr;
    }));
    Click(found, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; }));
    // The mode has ended: its timer no longer takes the button.
    const std::size_t taken = Calls({"UnregisterFunc1"}).size();
    ::Sleep(1200);
    EXPECT_EQ(Calls({"UnregisterFunc1"}).size(), taken);
}

}  // namespace
}  // namespace velk::wintest
