#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/bluetooth.h"
#include "platform/sim/power.h"
#include "platform/sim/registry.h"
#include "platform/sim/widcomm_console.h"
#include "platform/trace/services.h"
#include "tests/unit/support/fake_platform.h"

namespace velk {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char16_t kAdapter[] = u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1";

// --- the WLAN adapter --------------------------------------------------------------------

class SimPowerTest : public ::testing::Test {
  protected:
    HANDLE Open(const char16_t* name) { return power.CreateEventW(0, 0, name); }

    // The platform's power-up sequence as the WLAN service expects it; `step` lets a test
    // alter it after one of its steps (by index).
    void RunSequence(const std::function<void(std::size_t)>& step = {}) {
        RunWlanPowerUpSequence(power, step);
    }

    sim::Clock clock;
    sim::SimPower power{clock};
};

TEST_F(SimPowerTest, DevicePowerOfTheAdapter) {
    DWORD state = 99;
    EXPECT_EQ(power.GetDevicePower(kAdapter, POWER_NAME, &state), 0u);
    EXPECT_EQ(state, D4);  // starts off
    EXPECT_EQ(power.SetDevicePower(kAdapter, POWER_NAME, 2), 0u);
    EXPECT_EQ(power.AdapterState(), 2u);
    EXPECT_EQ(power.SetDevicePower(kAdapter, POWER_NAME, D0), 0u);
    EXPECT_TRUE(power.AdapterOn());

    power.SetPowerUpFails(true);
    power.SetAdapterState(D4);
    EXPECT_NE(power.SetDevicePower(kAdapter, POWER_NAME, D0), 0u);
    EXPECT_EQ(power.AdapterState(), D4);
    EXPECT_EQ(power.SetDevicePower(kAdapter, POWER_NAME, 3), 0u);  // only D0 fails
    EXPECT_EQ(power.AdapterState(), 3u);
}

TEST_F(SimPowerTest, RequestsThePowerManagerRefuses) {
    DWORD state = 77;
    EXPECT_NE(power.SetDevicePower(u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\other", 1, 0), 0u);
    EXPECT_NE(power.SetDevicePower(kAdapter, 0, D0), 0u);  // not given by name
    EXPECT_NE(power.SetDevicePower(kAdapter, POWER_NAME, 5), 0u);
    EXPECT_NE(power.SetDevicePower(nullptr, POWER_NAME, D0), 0u);
    EXPECT_NE(power.GetDevicePower(kAdapter, POWER_NAME, nullptr), 0u);
    power.SetAdapterPresent(false);
    EXPECT_NE(power.GetDevicePower(kAdapter, POWER_NAME, &state), 0u);
    EXPECT_EQ(state, 77u);  // a failed query writes nothing
    EXPECT_NE(power.SetDevicePower(kAdapter, POWER_NAME, D0), 0u);
    EXPECT_EQ(power.AdapterState(), D4);
}

TEST_F(SimPowerTest, NamedEvents) {
    const HANDLE a = Open(u"ShouldLockWlanUI");
    const HANDLE b = Open(u"ShouldLockWlanUI");
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_NE(a, b);  // every opening gives a fresh handle to the same event
    EXPECT_EQ(power.EventOpenHandles(u"ShouldLockWlanUI"), 2);
    EXPECT_FALSE(power.EventSignalled(u"ShouldLockWlanUI"));

    EXPECT_EQ(power.EventModify(a, EVENT_SET), 1);
    EXPECT_TRUE(power.EventSignalled(u"ShouldLockWlanUI"));
    EXPECT_EQ(power.EventModify(b, EVENT_RESET), 1);
    EXPECT_FALSE(power.EventSignalled(u"ShouldLockWlanUI"));
    power.EventModify(a, EVENT_SET);
    EXPECT_EQ(power.EventModify(a, EVENT_PULSE), 1);
    EXPECT_FALSE(power.EventSignalled(u"ShouldLockWlanUI"));
    EXPECT_EQ(power.EventModify(a, 9), 0);

    EXPECT_EQ(power.CloseHandle(a), 1);
    EXPECT_EQ(power.CloseHandle(a), 0);  // already closed
    EXPECT_EQ(power.EventModify(a, EVENT_SET), 0);
    EXPECT_EQ(power.CloseHandle(HANDLE{12345}), 0);
    EXPECT_EQ(power.OpenEventHandles(), 1u);
    power.EventModify(b, EVENT_SET);
    power.CloseHandle(b);
    EXPECT_EQ(power.OpenEventHandles(), 0u);
    // The WLAN software keeps its events: the state outlives the program's handles.
    EXPECT_TRUE(power.EventExists(u"ShouldLockWlanUI"));
    EXPECT_TRUE(power.EventSignalled(u"ShouldLockWlanUI"));
}

TEST_F(SimPowerTest, AnEventCanBeMadeToFailOpening) {
    power.SetEventOpenFails(u"WLANDetectInsertPCMCIA", true);
    EXPECT_FALSE(Open(u"WLANDetectInsertPCMCIA"));
    EXPECT_TRUE(Open(u"ShouldLockWlanUI"));
    power.SetEventOpenFails(u"WLANDetectInsertPCMCIA", false);
    EXPECT_TRUE(Open(u"WLANDetectInsertPCMCIA"));
}

TEST_F(SimPowerTest, SleepAdvancesTheVirtualClockAndTracedCallsAreStampedByIt) {
    sim::Trace trace;
    trace::Recorder recorder{trace, [this] { return clock.Now(); }};
    trace::TracedPower traced{power, recorder};
    clock.Advance(100);
    traced.Sleep(10);
    traced.SystemIdleTimerReset();
    traced.SystemIdleTimerReset();
    EXPECT_EQ(clock.Now(), 110u);
    EXPECT_EQ(power.IdleResets(), 2);
    ASSERT_EQ(trace.Entries().size(), 3u);
    EXPECT_EQ(trace.Entries()[0].name, "Sleep");
    EXPECT_EQ(trace.Entries()[0].args, "10");
    EXPECT_EQ(trace.Entries()[0].time, 100u);
    EXPECT_EQ(trace.Entries()[2].name, "SystemIdleTimerReset");
    EXPECT_EQ(trace.Entries()[2].time, 110u);
}

TEST_F(SimPowerTest, KernelRequestsAreRecorded) {
    DWORD one = 1;
    EXPECT_EQ(power.KernelIoControl(0x01010127, &one, 4, nullptr, 0, nullptr), 1);
    EXPECT_EQ(power.KernelIoControl(0x12345678, nullptr, 0, nullptr, 0, nullptr), 0);
    ASSERT_EQ(power.KernelRequests().size(), 2u);
    EXPECT_EQ(power.KernelRequests()[0].code, 0x01010127u);
    EXPECT_THAT(power.KernelRequests()[0].input, ElementsAre(1, 0, 0, 0));
    EXPECT_EQ(power.KernelRequests()[1].code, 0x12345678u);
}

TEST_F(SimPowerTest, TheWlanServiceBringsTheAdapterUpOnTheExactSequence) {
    power.SetPowerUpFails(true);
    RunSequence();
    EXPECT_EQ(power.AdapterState(), D0);
    EXPECT_EQ(power.ServicePowerUps(), 1);
}

TEST_F(SimPowerTest, TheWlanServiceIgnoresAnythingElse) {
    // Each variant breaks the sequence at one place.
    const std::vector<std::function<void(std::size_t)>> breaks = {
        [&](std::size_t s) {
            if (s == 3)
                power.Sleep(10);  // an extra call in the middle
        },
        [&](std::size_t s) {
            if (s == 7)
                power.EventModify(Open(u"ShouldLockWlanUI"), EVENT_SET);
        },
        [&](std::size_t s) {
            DWORD state = 0;
            if (s == 11)
                power.GetDevicePower(kAdapter, POWER_NAME, &state);
        },
        [&](std::size_t s) {
            if (s == 0)
                power.SystemIdleTimerReset();
        },
    };
    for (const auto& b : breaks) {
        RunSequence(b);
        EXPECT_EQ(power.AdapterState(), D4);
    }
    // Out of order: the two resets swapped.
    DWORD one = 1;
    power.KernelIoControl(0x01010127, &one, 4, nullptr, 0, nullptr);
    const HANDLE status = Open(u"WALNStatusChangeEvent");
    power.EventModify(status, EVENT_SET);
    power.CloseHandle(status);
    const HANDLE lock = Open(u"ShouldLockWlanUI");
    const HANDLE unlock = Open(u"ShouldUnLockWlanUI");
    power.EventModify(unlock, EVENT_RESET);
    power.EventModify(lock, EVENT_RESET);
    EXPECT_EQ(power.AdapterState(), D4);
    EXPECT_EQ(power.ServicePowerUps(), 0);

    // A whole sequence after broken ones still works.
    power.CloseHandle(lock);
    power.CloseHandle(unlock);
    RunSequence();
    EXPECT_EQ(power.AdapterState(), D0);
}

TEST_F(SimPowerTest, WithoutAnAdapterTheSequenceBringsNothingUp) {
    power.SetAdapterPresent(false);
    RunSequence();
    EXPECT_EQ(power.ServicePowerUps(), 1);
    EXPECT_FALSE(power.AdapterOn());
}

// --- the Microsoft Bluetooth stack -------------------------------------------------------

TEST(SimBluetoothTest, ModesQueriesAndFailures) {
    sim::Trace trace;
    sim::Clock clock;
    trace::Recorder recorder{trace, [&] { return clock.Now(); }};
    sim::SimBluetooth stack;
    trace::TracedBluetooth bt{stack, recorder};
    DWORD mode = 9;
    EXPECT_EQ(bt.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(bt.BthSetMode(2), 0);
    EXPECT_TRUE(stack.IsOn());
    EXPECT_NE(bt.BthSetMode(3), 0);
    EXPECT_EQ(stack.Mode(), 2u);  // refused: unchanged
    EXPECT_NE(bt.BthGetMode(nullptr), 0);

    stack.SetQueryFails(true);
    mode = 0;
    EXPECT_NE(bt.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 0u);  // a failed query writes nothing

    stack.SetMode(1);  // by hand: not traced
    EXPECT_EQ(stack.Mode(), 1u);
    std::vector<std::string> calls;
    for (const auto& e : trace.Entries())
        calls.push_back(e.name + "(" + e.args + ")");
    EXPECT_THAT(calls, ElementsAre("BthGetMode()", "BthSetMode(2)", "BthSetMode(3)",
                                   "BthGetMode(-> 87)", "BthGetMode(-> 21)"));
}

// --- the Widcomm console -----------------------------------------------------------------

class WidcommConsoleTest : public ::testing::Test {
  protected:
    std::optional<sim::SimRegistry::Value> StackMode() const {
        return registry.GetValue(HKEY_LOCAL_MACHINE, sim::kWidcommKeyPath, sim::kWidcommStackMode);
    }

    sim::Trace trace;
    sim::Clock clock;
    sim::SimRegistry registry{trace, clock};
    test::FakeWindowSystem windows;
};

TEST_F(WidcommConsoleTest, StartCreatesTheConsoleWindowWithItselfAsHandler) {
    sim::WidcommConsole console{windows, registry};
    EXPECT_FALSE(console.Running());
    ASSERT_TRUE(console.Start());
    ASSERT_TRUE(console.Start());  // still the one window
    EXPECT_EQ(windows.Calls("CreateWindowExW"), 1);
    const auto* w = windows.Find(console.Window());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->text, u"Bluetooth Console");
    EXPECT_EQ(w->className, u"WidcommConsole");
    EXPECT_EQ(w->handler, &console);
    EXPECT_EQ(windows.FindWindowW(nullptr, u"bluetooth console"), console.Window());
}

TEST_F(WidcommConsoleTest, CommandsSwitchTheRegistryState) {
    sim::WidcommConsole console{windows, registry};
    console.Start();
    const HWND h = console.Window();
    EXPECT_FALSE(console.IsOn());

    EXPECT_EQ(windows.SendMessageW(h, WM_COMMAND, 4098, 0), 0);
    ASSERT_TRUE(StackMode());
    EXPECT_EQ(StackMode()->type, REG_DWORD);
    EXPECT_THAT(StackMode()->data, ElementsAre(1, 0, 0, 0));
    EXPECT_TRUE(console.IsOn());

    windows.SendMessageW(h, WM_COMMAND, 4097, 0);
    EXPECT_THAT(StackMode()->data, ElementsAre(0, 0, 0, 0));
    EXPECT_FALSE(console.IsOn());

    // Anything else is recorded and left to default processing.
    windows.ClearCalls();  // the creation's own messages were default-processed too
    windows.SendMessageW(h, WM_COMMAND, 4099, 7);
    windows.SendMessageW(h, WM_PAINT, 0, 0);
    EXPECT_EQ(windows.Calls("DefWindowProcW"), 2);
    EXPECT_FALSE(console.IsOn());
    EXPECT_THAT(console.Received(),
                ElementsAre(sim::ConsoleCommand{4098, 0}, sim::ConsoleCommand{4097, 0},
                            sim::ConsoleCommand{4099, 7}));
    EXPECT_EQ(trace.Count("RegSetValueExW"), 0u);  // the stack's own writes are untraced
}

TEST_F(WidcommConsoleTest, ASwitchByHandAndTheStateItReads) {
    sim::WidcommConsole console{windows, registry};
    console.SetPower(true);
    EXPECT_TRUE(console.IsOn());
    registry.SetDword(HKEY_LOCAL_MACHINE, sim::kWidcommKeyPath, sim::kWidcommStackMode, 2);
    EXPECT_FALSE(console.IsOn());
    registry.SetValue(HKEY_LOCAL_MACHINE, sim::kWidcommKeyPath, sim::kWidcommStackMode, REG_BINARY,
                      {1, 0, 0, 0, 0});
    EXPECT_FALSE(console.IsOn());
}

TEST_F(WidcommConsoleTest, StopAndDestructionRemoveTheWindow) {
    HWND h;
    {
        sim::WidcommConsole console{windows, registry};
        console.Start();
        console.Stop();
        EXPECT_FALSE(console.Running());
        EXPECT_FALSE(windows.FindWindowW(nullptr, u"Bluetooth Console"));
        console.Start();
        h = console.Window();
    }
    EXPECT_FALSE(windows.IsWindow(h));
    EXPECT_EQ(windows.Calls("DestroyWindow"), 2);
}

TEST_F(WidcommConsoleTest, NoticesItsWindowDestroyedFromOutside) {
    sim::WidcommConsole console{windows, registry};
    console.Start();
    windows.DestroyWindow(console.Window());
    EXPECT_FALSE(console.Running());
    EXPECT_TRUE(console.Start());
    EXPECT_EQ(windows.Calls("CreateWindowExW"), 2);
}

}  // namespace
}  // namespace velk
