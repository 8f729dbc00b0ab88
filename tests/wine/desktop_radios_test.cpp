// The PC's own radios behind the device's power manager and Bluetooth utility library: the
// desktop services in this process and Velk.exe end to end, against the test PC's radio
// libraries (tests/wine/fakes) put into the system directory for these tests only.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "platform/power.h"

#include "platform/win32/desktop_bluetooth.h"
#include "platform/win32/desktop_wifi.h"

#include "harness.h"

// The desktop's own root (the seam's name hides its macro inside the namespace).
static ::HKEY NativeCurrentUser() {
    return HKEY_CURRENT_USER;
}

namespace velk::wintest {
namespace {

const std::wstring kPcKey = L"Software\\VelkTestPC";
const std::wstring kOverridesKey = L"Software\\Wine\\DllOverrides";
const std::wstring kRadioClassKey =
    L"Software\\Microsoft\\WindowsRuntime\\ActivatableClassId\\Windows.Devices.Radios.Radio";
const std::wstring kSettingsKey = L"software\\Velk\\Velk\\Settings";
constexpr char16_t kAdapter[] = u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1";
constexpr char16_t kAdapterLower[] = u"{98c5250d-c29a-4985-ae5f-afe5367e5006}\\other1";

std::wstring SystemDirectory() {
    wchar_t dir[MAX_PATH];
    const ::UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir, n) + L"\\";
}

std::string RadioStateOpcode() {
    return std::to_string(static_cast<int>(wlan_intf_opcode_radio_state));
}

// The test PC's libraries in the system directory, chosen over Wine's own, while it lives.
class TestPC : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        reg::DeleteTree(reg::Root::CurrentUser, kPcKey);
        const std::wstring& path = log_.Path();
        ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kPcKey, L"Log", REG_SZ, path.c_str(),
                                  static_cast<::DWORD>((path.size() + 1) * sizeof(wchar_t))));
        for (const wchar_t* name : {L"wlanapi", L"bluetoothapis"}) {
            ASSERT_TRUE(Install(std::wstring(name) + L".dll"));
            const wchar_t native[] = L"native";
            ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kOverridesKey, name, REG_SZ, native,
                                      sizeof native));
        }
    }
    void TearDown() override {
        reg::DeleteTree(reg::Root::LocalMachine, kRadioClassKey);
        for (const wchar_t* name : {L"wlanapi", L"bluetoothapis"}) {
            DeleteValue(kOverridesKey, name);
            Uninstall(std::wstring(name) + L".dll");
        }
        reg::DeleteTree(reg::Root::CurrentUser, kPcKey);
        ProgramTest::TearDown();
    }

    static bool Install(const std::wstring& name) {
        const std::wstring target = SystemDirectory() + name;
        ::MoveFileExW(target.c_str(), (target + L".velk-saved").c_str(), MOVEFILE_REPLACE_EXISTING);
        return ::CopyFileW((TestDirectory() + L"fakes\\" + name).c_str(), target.c_str(), FALSE);
    }
    static void Uninstall(const std::wstring& name) {
        const std::wstring target = SystemDirectory() + name;
        ::DeleteFileW(target.c_str());
        ::MoveFileExW((target + L".velk-saved").c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    static void DeleteValue(const std::wstring& key, const wchar_t* name) {
        ::HKEY k = nullptr;
        if (::RegOpenKeyExW(NativeCurrentUser(), key.c_str(), 0, KEY_SET_VALUE, &k) ==
            ERROR_SUCCESS) {
            ::RegDeleteValueW(k, name);
            ::RegCloseKey(k);
        }
    }

    // The radio manager's runtime class, served by the test PC's library.
    static void RegisterRadioManager() {
        const std::wstring dll = TestDirectory() + L"fakes\\velk_test_radios.dll";
        ASSERT_TRUE(reg::SetValue(reg::Root::LocalMachine, kRadioClassKey, L"DllPath", REG_SZ,
                                  dll.c_str(),
                                  static_cast<::DWORD>((dll.size() + 1) * sizeof(wchar_t))));
        const ::DWORD zero = 0;
        ASSERT_TRUE(reg::SetValue(reg::Root::LocalMachine, kRadioClassKey, L"ActivationType",
                                  REG_DWORD, &zero, 4));
    }

    static void Pc(const wchar_t* name, ::DWORD value) {
        ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kPcKey, name, REG_DWORD, &value, 4));
    }
    static ::DWORD PcValue(const wchar_t* name) {
        ::DWORD type = 0;
        std::vector<BYTE> data;
        if (!reg::GetValue(reg::Root::CurrentUser, kPcKey, name, &type, &data) || data.size() != 4)
            return 0;
        return data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<::DWORD>(data[3]) << 24);
    }
    // One WiFi adapter with a PHY per bit of hardware.
    static void Wifi(::DWORD phys, ::DWORD software, ::DWORD hardware) {
        Pc(L"WifiPhys", phys);
        Pc(L"WifiSoftware", software);
        Pc(L"WifiHardware", hardware);
    }
    static void Bluetooth(::DWORD power, ::DWORD connectable, ::DWORD discoverable) {
        Pc(L"BtPresent", 1);
        Pc(L"BtPower", power);
        Pc(L"BtConnectable", connectable);
        Pc(L"BtDiscoverable", discoverable);
    }

    // Logged calls that change something or look the radios up, in order.
    std::vector<std::string> Changes() const {
        std::vector<std::string> out;
        for (const std::string& line : log_.Lines())
            if (line.rfind("WlanSetInterface", 0) == 0 || line.rfind("BluetoothEnable", 0) == 0 ||
                line.rfind("Radio.", 0) == 0)
                out.push_back(line);
        return out;
    }
    std::size_t Count(const std::string& prefix) const {
        std::size_t n = 0;
        for (const std::string& line : log_.Lines())
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
    void ClearLog() { std::ofstream(std::filesystem::path(log_.Path()), std::ios::trunc); }

    TempFile log_{L"testpc"};
};

// --- the services in this process ---------------------------------------------------------

TEST(DesktopWifiNames, OnlyTheNdisMiniportClassNamesTheWiFi) {
    const struct {
        const char16_t* name;
        bool wifi;
    } cases[] = {
        {kAdapter, true},
        {kAdapterLower, true},
        {u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\", false},  // no instance
        {u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}tiacxwln1", false},
        {u"{8DD679CE-8AB4-43C8-A14A-EA4963FAA715}\\BKL1:", false},  // another class
        {u"", false},
        {nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(win32::DesktopWifi::IsWlanDevice(c.name), c.wifi);
}

using DesktopServices = TestPC;

TEST_F(DesktopServices, NativeWiFiSwitchesEveryPhyWhoseHardwareIsOn) {
    const struct {
        ::DWORD phys, software, hardware;
        DWORD stateBefore;
        ::DWORD onResult, softwareAfterOn;
        std::vector<std::string> onCalls;
    } cases[] = {
        {1, 0b0, 0b1, D4, ERROR_SUCCESS, 0b1, {"phy 0 software on"}},
        {1, 0b1, 0b1, D0, ERROR_SUCCESS, 0b1, {}},
        {2, 0b00, 0b11, D4, ERROR_SUCCESS, 0b11, {"phy 0 software on", "phy 1 software on"}},
        // A PHY switched off by hardware is left as it is; the other one is enough.
        {2, 0b00, 0b10, D4, ERROR_SUCCESS, 0b10, {"phy 1 software on"}},
        // Software on but hardware off reads as off, and cannot be switched on.
        {1, 0b1, 0b0, D4, ERROR_NOT_READY, 0b1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.phys << " phys, software " << c.software << ", hardware " << c.hardware);
        Wifi(c.phys, c.software, c.hardware);
        ClearLog();
        win32::WinRtRadioManager radios;
        win32::DesktopWifi wifi(radios);
        DWORD state = 99;
        ASSERT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
        EXPECT_EQ(state, c.stateBefore);
        EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D0), c.onResult);
        EXPECT_EQ(PcValue(L"WifiSoftware"), c.softwareAfterOn);
        std::vector<std::string> expected;
        for (const std::string& call : c.onCalls)
            expected.push_back("WlanSetInterface " + RadioStateOpcode() + " " + call);
        EXPECT_EQ(Changes(), expected);

        ASSERT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
        EXPECT_EQ(state, c.onResult == ERROR_SUCCESS ? D0 : D4);
        // Off touches only PHYs whose hardware is on, and then reads off.
        EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D4), ERROR_SUCCESS);
        EXPECT_EQ(PcValue(L"WifiSoftware"), c.softwareAfterOn & ~c.hardware);
        ASSERT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
        EXPECT_EQ(state, D4);
    }
}

TEST_F(DesktopServices, NativeWiFiFailuresAreFailedCalls) {
    win32::WinRtRadioManager radios;
    win32::DesktopWifi wifi(radios);
    DWORD state = 7;
    Wifi(0, 0, 0);  // no WiFi at all
    EXPECT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_DEV_NOT_EXIST);
    EXPECT_EQ(state, 7u);
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D0), ERROR_DEV_NOT_EXIST);

    Wifi(1, 0, 1);
    Pc(L"WlanSetError", ERROR_ACCESS_DENIED);  // not elevated
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(PcValue(L"WifiSoftware"), 0u);

    // Only full power and off have a meaning for a radio; the name must be a name.
    Pc(L"WlanSetError", 0);
    for (DWORD s : {1u, 2u, 3u, 5u})
        EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, s), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wifi.SetDevicePower(0, D0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Count("WlanSetInterface"), 1u);
    // The client is opened once and kept.
    EXPECT_EQ(Count("WlanOpenHandle"), 1u);
}

TEST_F(DesktopServices, ClassicBluetoothAloneCarriesTheModes) {
    const struct {
        ::DWORD connectable, discoverable, mode;
        std::vector<std::string> calls;
        DWORD modeAfter;
    } cases[] = {
        {0, 0, 1, {"BluetoothEnableIncomingConnections all 1"}, 1},
        {0,
         0,
         2,
         {"BluetoothEnableIncomingConnections all 1", "BluetoothEnableDiscovery all 1"},
         2},
        {1, 1, 1, {"BluetoothEnableDiscovery all 0"}, 1},
        {1, 0, 2, {"BluetoothEnableDiscovery all 1"}, 2},
        {1,
         1,
         0,
         {"BluetoothEnableDiscovery all 0", "BluetoothEnableIncomingConnections all 0"},
         0},
        {1, 0, 1, {}, 1},
        {0, 0, 0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "from " << c.connectable << c.discoverable << " to mode " << c.mode);
        Bluetooth(1, c.connectable, c.discoverable);
        ClearLog();
        win32::WinRtRadioManager radios;
        win32::DesktopBluetooth bluetooth(radios);
        DWORD mode = 99;
        ASSERT_EQ(bluetooth.BthGetMode(&mode), 0);
        EXPECT_EQ(mode, c.discoverable ? 2u : c.connectable ? 1u : 0u);
        EXPECT_EQ(bluetooth.BthSetMode(c.mode), 0);
        EXPECT_EQ(Changes(), c.calls);
        ASSERT_EQ(bluetooth.BthGetMode(&mode), 0);
        EXPECT_EQ(mode, c.modeAfter);
    }
    // Every radio found is given back.
    EXPECT_EQ(Count("BluetoothFindFirstRadio"), Count("BluetoothFindRadioClose"));
}

TEST_F(DesktopServices, ClassicBluetoothFailures) {
    win32::WinRtRadioManager radios;
    win32::DesktopBluetooth bluetooth(radios);
    DWORD mode = 5;
    EXPECT_EQ(bluetooth.BthGetMode(&mode), static_cast<INT>(ERROR_DEV_NOT_EXIST));  // no radio
    EXPECT_EQ(mode, 5u);
    EXPECT_EQ(bluetooth.BthSetMode(1), static_cast<INT>(ERROR_DEV_NOT_EXIST));
    Bluetooth(1, 0, 0);
    EXPECT_EQ(bluetooth.BthSetMode(3), static_cast<INT>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(Changes().empty());
    // A radio that refuses (it is powered off underneath) makes a failed call.
    Pc(L"BtPower", 0);
    EXPECT_EQ(bluetooth.BthSetMode(1), static_cast<INT>(ERROR_GEN_FAILURE));
}

TEST_F(DesktopServices, TheRadioManagerSwitchesPowerAndIsLookedUpOnce) {
    RegisterRadioManager();
    Wifi(1, 0, 1);
    Bluetooth(0, 0, 0);
    win32::WinRtRadioManager radios;
    win32::DesktopWifi wifi(radios);
    win32::DesktopBluetooth bluetooth(radios);

    DWORD state = 9;
    ASSERT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
    EXPECT_EQ(state, D4);
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D0), ERROR_SUCCESS);
    ASSERT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
    EXPECT_EQ(state, D0);

    DWORD mode = 9;
    ASSERT_EQ(bluetooth.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(bluetooth.BthSetMode(2), 0);
    ASSERT_EQ(bluetooth.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 2u);
    EXPECT_EQ(bluetooth.BthSetMode(1), 0);
    ASSERT_EQ(bluetooth.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 1u);
    EXPECT_EQ(bluetooth.BthSetMode(0), 0);
    ASSERT_EQ(bluetooth.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D4), ERROR_SUCCESS);

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Radio.GetRadiosAsync",
                             "Radio.RequestAccessAsync",
                             "Radio.SetStateAsync WiFi on",
                             "Radio.SetStateAsync Bluetooth on",
                             "BluetoothEnableIncomingConnections all 1",
                             "BluetoothEnableDiscovery all 1",
                             "BluetoothEnableDiscovery all 0",
                             "Radio.SetStateAsync Bluetooth off",
                             "Radio.SetStateAsync WiFi off",
                         }));
    EXPECT_EQ(PcValue(L"WifiSoftware"), 0u);
}

TEST_F(DesktopServices, RadiosHeldOffAreNotFought) {
    RegisterRadioManager();
    Wifi(1, 1, 0);  // hardware switch off
    Bluetooth(0, 0, 0);
    Pc(L"BtHeld", 1);  // flight mode
    win32::WinRtRadioManager radios;
    win32::DesktopWifi wifi(radios);
    win32::DesktopBluetooth bluetooth(radios);
    DWORD state = 9, mode = 9;
    ASSERT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
    EXPECT_EQ(state, D4);
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D0), ERROR_NOT_READY);
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D4), ERROR_SUCCESS);  // it is off
    ASSERT_EQ(bluetooth.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(bluetooth.BthSetMode(2), static_cast<INT>(ERROR_NOT_READY));
    EXPECT_EQ(Changes(), (std::vector<std::string>{"Radio.GetRadiosAsync"}));
}

TEST_F(DesktopServices, AHangingSwitchCostsItsBoundAndTheNextQueryReadsTheRealState) {
    RegisterRadioManager();
    Wifi(1, 0, 1);
    Pc(L"RadiosHang", 1);
    constexpr ::DWORD kBound = 400;
    win32::WinRtRadioManager radios(kBound);
    win32::DesktopWifi wifi(radios);

    const ::ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D0), ERROR_TIMEOUT);
    const ::ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_GE(took, kBound - 20);
    EXPECT_LE(took, kBound + 300);
    EXPECT_EQ(Count("Radio operation cancelled"), 1u);

    // The switch happened late all the same: the next query reads it, at once; switches
    // rest meanwhile rather than wait a bound each.
    const ::ULONGLONG again = ::GetTickCount64();
    DWORD state = 9;
    EXPECT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
    EXPECT_EQ(state, D0);
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D4), ERROR_TIMEOUT);
    EXPECT_LE(::GetTickCount64() - again, 200u);
    EXPECT_EQ(Count("Radio.SetStateAsync"), 1u);
    EXPECT_EQ(Count("Radio.GetRadiosAsync"), 1u);
}

TEST_F(DesktopServices, ARadioThreadStuckInTheRuntimeCostsOneBoundThenNoWaitAtAll) {
    RegisterRadioManager();
    Wifi(1, 1, 1);
    constexpr ::DWORD kBound = 300;
    win32::WinRtRadioManager radios(kBound);
    win32::DesktopWifi wifi(radios);
    EXPECT_EQ(radios.Power(win32::RadioKind::WiFi), win32::RadioPower::On);

    Pc(L"RadiosHang", 4);
    DWORD state = 9;
    ::ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);  // Native WiFi answers
    EXPECT_EQ(state, D0);
    EXPECT_GE(::GetTickCount64() - start, kBound - 20);
    EXPECT_LE(::GetTickCount64() - start, kBound + 300);
    // Still stuck: the calling thread does not wait for it again.
    start = ::GetTickCount64();
    EXPECT_EQ(wifi.SetDevicePower(POWER_NAME, D4), ERROR_SUCCESS);
    EXPECT_EQ(Count("WlanSetInterface"), 1u);
    EXPECT_LE(::GetTickCount64() - start, 100u);

    Pc(L"RadiosHang", 0);
    EXPECT_TRUE(WaitUntil(
        [&] { return radios.Power(win32::RadioKind::WiFi) == win32::RadioPower::Off; }, 3000));
}

std::atomic<::ULONGLONG> clockAhead{0};
::ULONGLONG TestClock() {
    return ::GetTickCount64() + clockAhead;
}

TEST_F(DesktopServices, AccessIsAskedAgainAfterARefusalOrNoAnswerAtMostOnceAMinute) {
    RegisterRadioManager();
    Wifi(1, 0, 1);
    Pc(L"RadiosRefuse", 1);
    clockAhead = 0;
    win32::WinRtRadioManager radios(1000, &TestClock);
    const auto kWiFi = win32::RadioKind::WiFi;
    const struct {
        ::ULONGLONG later;
        std::size_t asked;
    } refusals[] = {{0, 1}, {0, 1}, {59'000, 1}, {1'000, 2}, {30'000, 2}, {30'000, 3}};
    for (const auto& r : refusals) {
        clockAhead += r.later;
        EXPECT_EQ(radios.SetPower(kWiFi, true), ERROR_ACCESS_DENIED);
        EXPECT_EQ(Count("Radio.RequestAccessAsync"), r.asked) << clockAhead;
    }
    EXPECT_EQ(PcValue(L"WifiSoftware"), 0u);
    // Granted: asked once more, then no more.
    Pc(L"RadiosRefuse", 0);
    clockAhead += 60'000;
    EXPECT_EQ(radios.SetPower(kWiFi, true), ERROR_SUCCESS);
    clockAhead += 120'000;
    EXPECT_EQ(radios.SetPower(kWiFi, false), ERROR_SUCCESS);
    EXPECT_EQ(Count("Radio.RequestAccessAsync"), 4u);

    // A question the user leaves open costs one bound, is only looked at while open, and
    // is put anew a minute after.
    ClearLog();
    Pc(L"RadiosHang", 8);
    win32::WinRtRadioManager fresh(300, &TestClock);
    ::ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(fresh.SetPower(kWiFi, true), ERROR_TIMEOUT);
    EXPECT_GE(::GetTickCount64() - start, 280u);
    start = ::GetTickCount64();
    EXPECT_EQ(fresh.SetPower(kWiFi, true), ERROR_TIMEOUT);
    EXPECT_LE(::GetTickCount64() - start, 100u);
    EXPECT_EQ(Count("Radio.RequestAccessAsync"), 1u);
    Pc(L"RadiosHang", 0);
    clockAhead += 60'000;
    EXPECT_EQ(fresh.SetPower(kWiFi, true), ERROR_SUCCESS);
    EXPECT_EQ(Count("Radio.RequestAccessAsync"), 2u);
    EXPECT_EQ(Count("Radio operation cancelled"), 1u);  // the open question
}

TEST_F(DesktopServices, AHangingLookupCostsItsBound) {
    RegisterRadioManager();
    Wifi(1, 1, 1);
    Pc(L"RadiosHang", 2);
    constexpr ::DWORD kBound = 300;
    win32::WinRtRadioManager radios(kBound);
    win32::DesktopWifi wifi(radios);
    const ::ULONGLONG start = ::GetTickCount64();
    DWORD state = 9;
    // The lookup gives up; the Native WiFi API answers instead.
    EXPECT_EQ(wifi.GetDevicePower(POWER_NAME, &state), ERROR_SUCCESS);
    EXPECT_EQ(state, D0);
    EXPECT_LE(::GetTickCount64() - start, kBound + 300u);
    EXPECT_EQ(Count("Radio operation cancelled"), 1u);
}

// --- Velk.exe end to end --------------------------------------------------------------------

class VelkOnThePC : public TestPC {
  protected:
    static void Setting(const wchar_t* name, const std::wstring& text) {
        ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kSettingsKey, name, REG_SZ, text.c_str(),
                                  static_cast<::DWORD>((text.size() + 1) * sizeof(wchar_t))));
    }
    static void Setting(const wchar_t* name, ::DWORD value) {
        ASSERT_TRUE(
            reg::SetValue(reg::Root::CurrentUser, kSettingsKey, name, REG_DWORD, &value, 4));
    }
    // Rules that concern only the test windows; every default leaves the radios alone.
    static void Rules(const std::wstring& on, const std::wstring& off, const std::wstring& run) {
        Setting(L"OnList", on);
        Setting(L"OffList", off);
        Setting(L"OnRunList", run);
        Setting(L"DefaultAction", 0u);
        Setting(L"WFDefaultAction", 0u);
    }
    void StartVelk() {
        ASSERT_TRUE(velk_.Start(ProgramPath(), {L"200"}));
        ASSERT_TRUE(WaitForProcessWindow(velk_.Id(), L"Velk"));
    }
    // Waits until the logged changes are these, and checks nothing more follows.
    void ExpectChanges(const std::vector<std::string>& expected) {
        WaitUntil([&] { return Changes().size() >= expected.size(); }, 8000);
        ::Sleep(600);  // three more ticks
        EXPECT_EQ(Changes(), expected);
    }

    // Has the program's radio thread start and look the radios up, through a window whose
    // rules find the radios as they want them: the first use of the runtime may take more
    // than a switch's bound on a busy machine, and the program then uses the older APIs.
    void WarmUp(const wchar_t* window) {
        ChildProcess peer;
        ASSERT_TRUE(StartWindowPeer(peer, window));
        ASSERT_TRUE(WaitUntil([&] { return Count("Radio.GetRadiosAsync") > 0; }, 10000));
        peer.Stop();
        ClearLog();
    }

    ChildProcess velk_;
};

TEST_F(VelkOnThePC, RulesSwitchTheWiFiThroughTheNativeWiFiApiAtTheRightTicks) {
    Wifi(1, 0, 1);
    Rules(L"#wWeb", L"#wGame", L"");
    StartVelk();
    ::Sleep(600);
    EXPECT_TRUE(Changes().empty()) << "no rule applies yet";

    ChildProcess web, game;
    ASSERT_TRUE(StartWindowPeer(web, L"Web page"));
    EXPECT_TRUE(WaitUntil([] { return PcValue(L"WifiSoftware") == 1; }, 5000));
    ExpectChanges({"WlanSetInterface " + RadioStateOpcode() + " phy 0 software on"});

    ASSERT_TRUE(StartWindowPeer(game, L"Game"));
    EXPECT_TRUE(WaitUntil([] { return PcValue(L"WifiSoftware") == 0; }, 5000));
    ExpectChanges({"WlanSetInterface " + RadioStateOpcode() + " phy 0 software on",
                   "WlanSetInterface " + RadioStateOpcode() + " phy 0 software off"});
}

TEST_F(VelkOnThePC, TheMicrosoftStackModesReachTheClassicApi) {
    for (::DWORD stack : {1u, 2u}) {
        SCOPED_TRACE(stack);
        Bluetooth(1, 0, 0);
        ClearLog();
        Rules(L"", L"#bQuiet", L"Music");
        Setting(L"BTControl", stack);
        Setting(L"DefControl", 0u);  // entries without a mark are Bluetooth's
        StartVelk();
        ChildProcess music, quiet;
        ASSERT_TRUE(StartWindowPeer(music, L"Music"));
        std::vector<std::string> expected = {"BluetoothEnableIncomingConnections all 1"};
        if (stack == 2)
            expected.push_back("BluetoothEnableDiscovery all 1");
        ExpectChanges(expected);
        EXPECT_EQ(PcValue(L"BtDiscoverable"), stack == 2 ? 1u : 0u);

        music.Stop();
        ASSERT_TRUE(StartWindowPeer(quiet, L"Quiet"));
        if (stack == 2)
            expected.push_back("BluetoothEnableDiscovery all 0");
        expected.push_back("BluetoothEnableIncomingConnections all 0");
        ExpectChanges(expected);
        EXPECT_EQ(PcValue(L"BtConnectable"), 0u);
        velk_.Stop();
    }
}

TEST_F(VelkOnThePC, TheRadioManagerSwitchesBothRadiosAndLeavesAHardwareOffOneAlone) {
    RegisterRadioManager();
    Wifi(2, 0b00, 0b01);  // the second PHY's switch is off
    Bluetooth(0, 0, 0);
    // WiFi while the page runs, Bluetooth while it is in front.
    Rules(L"#bWeb", L"#wGame;#bGame", L"#wWeb page");
    Setting(L"BTControl", 1u);
    StartVelk();
    WarmUp(L"Game");
    ChildProcess web, game;
    ASSERT_TRUE(StartWindowPeer(web, L"Web page"));
    ExpectChanges({"Radio.RequestAccessAsync", "Radio.SetStateAsync WiFi on",
                   "Radio.SetStateAsync Bluetooth on", "BluetoothEnableIncomingConnections all 1"});
    EXPECT_EQ(PcValue(L"WifiSoftware"), 0b01u);
    EXPECT_EQ(PcValue(L"BtPower"), 1u);
    EXPECT_EQ(PcValue(L"BtConnectable"), 1u);

    web.Stop();
    ASSERT_TRUE(StartWindowPeer(game, L"Game"));
    EXPECT_TRUE(
        WaitUntil([] { return PcValue(L"BtPower") == 0 && PcValue(L"WifiSoftware") == 0; }, 5000));

    // With every PHY switched off by hardware, the WiFi rule asks nothing of it.
    Wifi(2, 0b00, 0b00);
    ClearLog();
    game.Stop();
    ASSERT_TRUE(StartWindowPeer(web, L"Web page"));
    ExpectChanges({"Radio.SetStateAsync Bluetooth on", "BluetoothEnableIncomingConnections all 1"});
    EXPECT_EQ(Count("WlanSetInterface"), 0u);
    EXPECT_TRUE(velk_.Running());
}

TEST_F(VelkOnThePC, AHangingSwitchBlocksTheProgramNoLongerThanItsBound) {
    RegisterRadioManager();
    Wifi(1, 0, 1);
    Rules(L"#wWeb", L"#wGame", L"");
    StartVelk();
    WarmUp(L"Game");
    Pc(L"RadiosHang", 1);
    const ::HWND frame = WaitForProcessWindow(velk_.Id(), L"Velk");
    ASSERT_TRUE(frame);
    ChildProcess web;
    ASSERT_TRUE(StartWindowPeer(web, L"Web page"));
    ASSERT_TRUE(WaitUntil([&] { return Count("Radio.SetStateAsync WiFi on") > 0; }, 5000))
        << testing::PrintToString(Changes());
    const ::ULONGLONG asked = ::GetTickCount64();
    ASSERT_TRUE(WaitUntil([&] { return Count("Radio operation cancelled") > 0; }, 6000));
    const ::ULONGLONG gaveUp = ::GetTickCount64();
    EXPECT_LE(gaveUp - asked, 2600u);
    EXPECT_GE(gaveUp - asked, 1500u);
    // The program answers again at once.
    ::DWORD_PTR result = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result));
    EXPECT_TRUE(velk_.Running());
}

}  // namespace
}  // namespace velk::wintest
