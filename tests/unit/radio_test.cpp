#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/bluetooth.h"
#include "platform/sim/power.h"
#include "platform/sim/registry.h"
#include "platform/sim/widcomm_console.h"
#include "platform/trace/services.h"
#include "radio/bluetooth_control.h"
#include "radio/radios.h"
#include "radio/wlan_control.h"
#include "tests/unit/support/fake_platform.h"

namespace velk {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// "name args" of every trace entry, in order.
std::vector<std::string> Lines(const sim::Trace& trace) {
    std::vector<std::string> lines;
    for (const auto& e : trace.Entries())
        lines.push_back(e.args.empty() ? e.name : e.name + " " + e.args);
    return lines;
}

std::vector<std::string> Names(const sim::Trace& trace) {
    std::vector<std::string> names;
    for (const auto& e : trace.Entries())
        names.push_back(e.name);
    return names;
}

// --- Bluetooth through the Widcomm stack -------------------------------------------------

class WidcommTest : public ::testing::Test {
  protected:
    void SetUp() override { console.Start(); }
    void SetStackMode(DWORD type, std::vector<BYTE> data) {
        registry.SetValue(HKEY_LOCAL_MACHINE, sim::kWidcommKeyPath, sim::kWidcommStackMode, type,
                          std::move(data));
    }
    std::vector<WPARAM> Sent() const {
        std::vector<WPARAM> sent;
        for (const auto& c : console.Received()) {
            EXPECT_EQ(c.lParam, 0);
            sent.push_back(c.wParam);
        }
        return sent;
    }

    sim::Trace trace;
    sim::Clock clock;
    sim::SimRegistry registry{trace, clock};
    test::FakeWindowSystem windows;
    sim::WidcommConsole console{windows, registry};
    trace::Recorder recorder{trace, [this] { return clock.Now(); }};
    sim::SimBluetooth stack;
    trace::TracedBluetooth bluetooth{stack, recorder};
    INT stackCode = 0;
    BluetoothControl control{stackCode, windows, windows, registry, bluetooth};
};

struct StackModeCase {
    const char* name;
    std::optional<std::pair<DWORD, std::vector<BYTE>>> value;  // absent when empty
    bool on;
};
void PrintTo(const StackModeCase& c, std::ostream* os) {
    *os << c.name;
}

class WidcommStackMode : public WidcommTest, public ::testing::WithParamInterface<StackModeCase> {};

TEST_P(WidcommStackMode, QueryAndUnforcedSwitches) {
    const auto& param = GetParam();
    if (param.value)
        SetStackMode(param.value->first, param.value->second);

    EXPECT_EQ(control.IsBluetoothOn(), param.on ? 1 : 0);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);  // the key is closed again

    // Keep the registry as it is while switching: only what is sent matters here.
    const auto before =
        registry.GetValue(HKEY_LOCAL_MACHINE, sim::kWidcommKeyPath, sim::kWidcommStackMode);
    control.TurnBluetoothOn(0);
    if (before)
        SetStackMode(before->type, before->data);
    else
        registry.DeleteValue(HKEY_LOCAL_MACHINE, sim::kWidcommKeyPath, sim::kWidcommStackMode);
    control.TurnBluetoothOff(0);
    if (param.on)
        EXPECT_THAT(Sent(), ElementsAre(4097u));
    else
        EXPECT_THAT(Sent(), ElementsAre(4098u));
}

INSTANTIATE_TEST_SUITE_P(
    Bluetooth, WidcommStackMode,
    ::testing::Values(
        StackModeCase{"On", std::pair{REG_DWORD, std::vector<BYTE>{1, 0, 0, 0}}, true},
        StackModeCase{"Off", std::pair{REG_DWORD, std::vector<BYTE>{0, 0, 0, 0}}, false},
        StackModeCase{"Two", std::pair{REG_DWORD, std::vector<BYTE>{2, 0, 0, 0}}, false},
        StackModeCase{"HighBytesSet", std::pair{REG_DWORD, std::vector<BYTE>{1, 0, 0, 1}}, false},
        StackModeCase{"Absent", std::nullopt, false},
        // The type is not examined: a short binary 1 reads as 1.
        StackModeCase{"ShortBinaryOne", std::pair{REG_BINARY, std::vector<BYTE>{1}}, true},
        // A value too big for the 4-byte buffer counts as off.
        StackModeCase{"TooBig", std::pair{REG_BINARY, std::vector<BYTE>{1, 0, 0, 0, 0, 0}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WidcommTest, QueryOpensTheStackKeyReadsFourBytesAndClosesIt) {
    SetStackMode(REG_DWORD, {1, 0, 0, 0});
    control.TurnBluetoothOn(0);
    EXPECT_THAT(Names(trace), ElementsAre("RegOpenKeyExW", "RegQueryValueExW", "RegCloseKey"));
    const auto lines = Lines(trace);
    EXPECT_EQ(lines[0],
              "RegOpenKeyExW HKEY_LOCAL_MACHINE, \"\\SOFTWARE\\Widcomm\\BtConfig\\General\", 0, "
              "0xF003F");
    EXPECT_THAT(lines[1], HasSubstr("\"StackMode\", buffer, 4"));
    EXPECT_THAT(Sent(), IsEmpty());
}

TEST_F(WidcommTest, SwitchingDrivesTheConsoleAndTheStackFollows) {
    control.TurnBluetoothOn(0);
    EXPECT_TRUE(console.IsOn());
    control.TurnBluetoothOn(0);  // already on: nothing sent
    control.TurnBluetoothOff(0);
    EXPECT_FALSE(console.IsOn());
    control.TurnBluetoothOff(0);
    EXPECT_THAT(Sent(), ElementsAre(4098u, 4097u));
}

TEST_F(WidcommTest, ForceSkipsTheQueryAndSendsAnyway) {
    console.SetPower(true);
    control.TurnBluetoothOn(1);
    console.SetPower(false);
    control.TurnBluetoothOff(-1);
    EXPECT_THAT(Sent(), ElementsAre(4098u, 4097u));
    EXPECT_EQ(trace.Count("RegOpenKeyExW"), 0u);
}

TEST_F(WidcommTest, WithoutTheConsoleWindowNothingIsSent) {
    console.Stop();
    control.TurnBluetoothOn(0);
    control.TurnBluetoothOn(1);
    console.SetPower(true);
    control.TurnBluetoothOff(0);
    EXPECT_EQ(windows.Calls("SendMessageW"), 0);
    EXPECT_THAT(windows.FindQueries(),
                ElementsAre(u"Bluetooth Console", u"Bluetooth Console", u"Bluetooth Console"));
}

TEST_F(WidcommTest, AKeyThatCannotBeOpenedCountsAsOff) {
    console.SetPower(true);
    registry.FailNext("RegOpenKeyExW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(control.IsBluetoothOn(), 0);
    EXPECT_EQ(trace.Count("RegQueryValueExW"), 0u);
    EXPECT_EQ(trace.Count("RegCloseKey"), 0u);
}

TEST_F(WidcommTest, TheStackCodeIsReadAtEveryCall) {
    control.TurnBluetoothOn(0);  // Widcomm
    stackCode = 1;
    control.TurnBluetoothOn(0);  // Microsoft, still off there
    EXPECT_THAT(Sent(), ElementsAre(4098u));
    EXPECT_EQ(stack.Mode(), 1u);
}

// --- Bluetooth through the Microsoft stack -----------------------------------------------

struct MicrosoftCase {
    const char* name;
    INT code;
    DWORD modeBefore;
    bool on;  // TurnBluetoothOn, else TurnBluetoothOff
    INT force;
    std::vector<std::string> calls;
    DWORD modeAfter;
};
void PrintTo(const MicrosoftCase& c, std::ostream* os) {
    *os << c.name;
}

class MicrosoftStack : public WidcommTest, public ::testing::WithParamInterface<MicrosoftCase> {};

TEST_P(MicrosoftStack, Switch) {
    const auto& p = GetParam();
    stackCode = p.code;
    stack.SetMode(p.modeBefore);
    if (p.on)
        control.TurnBluetoothOn(p.force);
    else
        control.TurnBluetoothOff(p.force);
    EXPECT_EQ(Lines(trace), p.calls);
    EXPECT_EQ(stack.Mode(), p.modeAfter);
    EXPECT_THAT(console.Received(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Bluetooth, MicrosoftStack,
    ::testing::Values(
        MicrosoftCase{"ConnectableOn", 1, 0, true, 0, {"BthGetMode", "BthSetMode 1"}, 1},
        MicrosoftCase{"DiscoverableOn", 2, 0, true, 0, {"BthGetMode", "BthSetMode 2"}, 2},
        MicrosoftCase{"AlreadyDiscoverableStaysSo", 1, 2, true, 0, {"BthGetMode"}, 2},
        MicrosoftCase{"AlreadyConnectableStaysSo", 2, 1, true, 0, {"BthGetMode"}, 1},
        MicrosoftCase{"OffFromConnectable", 1, 1, false, 0, {"BthGetMode", "BthSetMode 0"}, 0},
        MicrosoftCase{"OffFromDiscoverable", 2, 2, false, 0, {"BthGetMode", "BthSetMode 0"}, 0},
        MicrosoftCase{"AlreadyOff", 2, 0, false, 0, {"BthGetMode"}, 0},
        MicrosoftCase{"ForcedOnWhileOn", 1, 1, true, 1, {"BthSetMode 1"}, 1},
        MicrosoftCase{"ForcedOffWhileOff", 2, 0, false, 5, {"BthSetMode 0"}, 0},
        MicrosoftCase{"OtherCodeSwitchesNothingOn", 3, 0, true, 0, {"BthGetMode"}, 0},
        MicrosoftCase{"OtherCodeSwitchesNothingOff", -1, 2, false, 0, {"BthGetMode"}, 2},
        MicrosoftCase{"OtherCodeForced", 7, 0, true, 1, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WidcommTest, AFailedMicrosoftQueryCountsAsOff) {
    stackCode = 1;
    stack.SetMode(2);
    stack.SetQueryFails(true);
    EXPECT_EQ(control.IsBluetoothOn(), 0);
    control.TurnBluetoothOff(0);  // thinks it is off: nothing
    control.TurnBluetoothOn(0);   // thinks it is off: switches
    EXPECT_THAT(Names(trace), ElementsAre("BthGetMode", "BthGetMode", "BthGetMode", "BthSetMode"));
    EXPECT_EQ(stack.Mode(), 1u);
}

// --- WiFi through the power manager ------------------------------------------------------

const std::string kDevice = "\"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1\"";
const std::string kQuery = "GetDevicePower " + kDevice + ", 1";
const std::string kPowerUp = "SetDevicePower " + kDevice + ", 1, 0";
const std::string kPowerDown = "SetDevicePower " + kDevice + ", 1, 4";

// The platform's power-up fallback, exactly as the WLAN software expects it.
const std::vector<std::string> kFallback = {
    "KernelIoControl 0x01010127, in=1, inSize=4, out=null, outSize=0, returned=null",
    "CreateEventW 0, 0, \"WALNStatusChangeEvent\"",
    "EventModify \"WALNStatusChangeEvent\", 3",
    "CloseHandle \"WALNStatusChangeEvent\"",
    "CreateEventW 0, 0, \"ShouldLockWlanUI\"",
    "CreateEventW 0, 0, \"ShouldUnLockWlanUI\"",
    "EventModify \"ShouldLockWlanUI\", 2",
    "EventModify \"ShouldUnLockWlanUI\", 2",
    "CreateEventW 0, 0, \"WLANDetectInsertPCMCIA\"",
    "EventModify \"WLANDetectInsertPCMCIA\", 3",
    "CloseHandle \"WLANDetectInsertPCMCIA\"",
    "Sleep 10",
    "CloseHandle \"ShouldLockWlanUI\"",
    "CloseHandle \"ShouldUnLockWlanUI\"",
    "KernelIoControl 0x01010128, in=null, inSize=0, out=1, outSize=4, returned=0",
};

std::vector<std::string> Then(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class WlanTest : public ::testing::Test {
  protected:
    sim::Trace trace;
    sim::Clock clock;
    sim::SimPower power{clock};
    trace::Recorder recorder{trace, [this] { return clock.Now(); }};
    trace::TracedPower traced{power, recorder};
    WlanControl wlan{traced};
};

struct WlanCase {
    const char* name;
    bool present;
    DWORD state;
    bool powerUpFails;
    bool on;
    INT force;
    std::vector<std::string> calls;
};
void PrintTo(const WlanCase& c, std::ostream* os) {
    *os << c.name;
}

class WlanSwitch : public WlanTest, public ::testing::WithParamInterface<WlanCase> {};

TEST_P(WlanSwitch, Calls) {
    const auto& p = GetParam();
    power.SetAdapterPresent(p.present);
    power.SetAdapterState(p.state);
    power.SetPowerUpFails(p.powerUpFails);
    if (p.on)
        wlan.TurnWiFiOn(p.force);
    else
        wlan.TurnWiFiOff(p.force);
    EXPECT_EQ(Lines(trace), p.calls);
    EXPECT_EQ(power.OpenEventHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    WiFi, WlanSwitch,
    ::testing::Values(WlanCase{"OnAtD0", true, 0, false, true, 0, {kQuery}},
                      WlanCase{"OffAtD0", true, 0, false, false, 0, {kQuery, kPowerDown}},
                      WlanCase{"OnAtD1", true, 1, false, true, 0, {kQuery, kPowerUp}},
                      WlanCase{"OnAtD3", true, 3, false, true, 0, {kQuery, kPowerUp}},
                      WlanCase{"OffAtD2", true, 2, false, false, 0, {kQuery}},
                      WlanCase{"OffAtD4", true, 4, false, false, 0, {kQuery}},
                      WlanCase{"OffWithoutAdapter", false, 0, false, false, 0, {kQuery}},
                      WlanCase{"OnWithoutAdapterRunsTheFallback", false, 4, false, true, 0,
                               Then({kQuery, kPowerUp}, kFallback)},
                      WlanCase{"OnWhenPowerUpFailsRunsTheFallback", true, 4, true, true, 0,
                               Then({kQuery, kPowerUp}, kFallback)},
                      WlanCase{"ForcedOnAtD0", true, 0, false, true, 1, {kPowerUp}},
                      WlanCase{"ForcedOnAtD0Failing", true, 0, true, true, 1,
                               Then({kPowerUp}, kFallback)},
                      WlanCase{"ForcedOffAtD4", true, 4, false, false, 1, {kPowerDown}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WlanTest, TheFallbackBringsTheAdapterUpThroughTheWlanService) {
    power.SetPowerUpFails(true);
    EXPECT_EQ(wlan.IsWiFiOn(), 0);
    wlan.TurnWiFiOn(0);
    EXPECT_EQ(power.AdapterState(), D0);
    EXPECT_EQ(wlan.IsWiFiOn(), 1);
    EXPECT_TRUE(power.EventSignalled(u"WALNStatusChangeEvent"));
    EXPECT_FALSE(power.EventSignalled(u"ShouldLockWlanUI"));
    EXPECT_FALSE(power.EventSignalled(u"ShouldUnLockWlanUI"));
    EXPECT_TRUE(power.EventSignalled(u"WLANDetectInsertPCMCIA"));
    EXPECT_EQ(clock.Now(), 10u);
}

TEST_F(WlanTest, AnEventThatCannotBeOpenedIsNeitherModifiedNorClosed) {
    power.SetPowerUpFails(true);
    power.SetEventOpenFails(u"ShouldLockWlanUI", true);
    power.SetEventOpenFails(u"WALNStatusChangeEvent", true);
    wlan.TurnWiFiOn(1);
    const auto& f = kFallback;
    const std::vector<std::string> expected = {
        kPowerUp, f[0], f[1],  // the status event fails to open: not set, not closed
        f[4],                  // neither is the lock event
        f[5],     f[7], f[8], f[9], f[10], f[11], f[13], f[14]};
    EXPECT_EQ(Lines(trace), expected);
    EXPECT_EQ(power.OpenEventHandles(), 0u);
    EXPECT_EQ(power.AdapterState(), D4);  // the service missed its events
}

// --- the six operations together ---------------------------------------------------------

TEST(Radios, DelegateToTheirControls) {
    sim::Trace trace;
    sim::Clock clock;
    sim::SimRegistry registry{trace, clock};
    sim::SimBluetooth bluetooth;
    sim::SimPower power{clock};
    test::FakeWindowSystem windows;
    INT code = 2;
    BluetoothControl bt{code, windows, windows, registry, bluetooth};
    WlanControl wf{power};
    Radios radios{bt, wf};
    IRadioOperations& ops = radios;

    ops.TurnBluetoothOn(0);
    ops.TurnWiFiOn(0);
    EXPECT_EQ(ops.IsBluetoothOn(), 1);
    EXPECT_EQ(ops.IsWiFiOn(), 1);
    ops.TurnBluetoothOff(0);
    ops.TurnWiFiOff(0);
    EXPECT_EQ(ops.IsBluetoothOn(), 0);
    EXPECT_EQ(ops.IsWiFiOn(), 0);
    EXPECT_EQ(bluetooth.Mode(), 0u);
    EXPECT_EQ(power.AdapterState(), D4);
}

}  // namespace
}  // namespace velk
