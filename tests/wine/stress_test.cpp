// Velk.exe under stress on Wine: copies started at the same moment, and a long run at a
// 10 ms interval with the rules switching both radios back and forth while its handles
// and GDI and USER objects are counted from outside. The run lasts 60 s, or
// $VELK_SOAK_SECONDS (scripts/soak.sh runs it for ten minutes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/resources.h"

#include "device_fixture.h"
#include "process_objects.h"
#include "program.h"

namespace velk::wintest {
namespace {

// Notification icons on the virtual display: Wine's tray shows each as a window.
int TrayIcons() {
    struct Count {
        int n;
    } count{0};
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
            const auto each = [](::HWND h, ::LPARAM l) -> ::BOOL {
                wchar_t cls[64] = {};
                ::GetClassNameW(h, cls, 64);
                if (std::wstring(cls) == L"__winex11_tray_icon")
                    ++reinterpret_cast<Count*>(l)->n;
                return TRUE;
            };
            each(hwnd, lParam);
            ::EnumChildWindows(hwnd, each, lParam);
            return TRUE;
        },
        reinterpret_cast<::LPARAM>(&count));
    return count.n;
}

TEST_F(DrivenProgram, FiveCopiesStartedAtOnceLeaveOneRunningWithOneIcon) {
    // Icons of programs that earlier tests stopped go from the tray a little later: wait
    // until the count has settled.
    int iconsBefore = TrayIcons();
    ULONGLONG since = ::GetTickCount64();
    WaitUntil([&] {
        const int now = TrayIcons();
        if (now != iconsBefore) {
            iconsBefore = now;
            since = ::GetTickCount64();
        }
        return ::GetTickCount64() - since >= 1500;
    });
    // Created suspended, then let go together.
    struct Copy {
        win32::UniqueHandle process;
        win32::UniqueHandle thread;
    };
    std::vector<Copy> copies(5);
    std::wstring exe = ProgramPath();
    for (Copy& copy : copies) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                     CREATE_SUSPENDED, nullptr, nullptr, &si, &pi));
        copy.process.reset(pi.hProcess);
        copy.thread.reset(pi.hThread);
    }
    for (Copy& copy : copies)
        ::ResumeThread(copy.thread.get());

    // All but one end by themselves, with -1.
    const auto running = [&] {
        return std::count_if(copies.begin(), copies.end(), [](const Copy& c) {
            return ::WaitForSingleObject(c.process.get(), 0) == WAIT_TIMEOUT;
        });
    };
    ASSERT_TRUE(WaitUntil([&] { return running() <= 1; }, 20000)) << running() << " running";
    ::Sleep(2000);  // a late second copy would show itself now
    ASSERT_EQ(running(), 1);
    ::DWORD survivor = 0;
    for (const Copy& copy : copies) {
        ::DWORD code = 0;
        ::GetExitCodeProcess(copy.process.get(), &code);
        if (code == STILL_ACTIVE)
            survivor = ::GetProcessId(copy.process.get());
        else
            EXPECT_EQ(code, 0xFFFFFFFFu);
    }
    EXPECT_TRUE(WaitUntil([&] { return TrayIcons() == iconsBefore + 1; }, 5000))
        << TrayIcons() - iconsBefore << " icons";

    // The survivor works, and takes its icon with it when it ends.
    const ::HWND frame = WaitForProcessWindow(survivor, L"Velk");
    ASSERT_TRUE(frame);
    ::PostMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);
    for (const Copy& copy : copies)
        EXPECT_EQ(::WaitForSingleObject(copy.process.get(), 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(WaitUntil([&] { return TrayIcons() == iconsBefore; }, 5000));
}

class Soak : public OnTheDevice {
  protected:
    // Both end as a user would end them, so that the desktop is left as later tests
    // expect it (a program killed under Wine leaves its focus and tray state behind).
    void TearDown() override {
        if (frame_)
            ::PostMessageW(frame_, WM_COMMAND, ID_APP_EXIT, 0);
        velk_.WaitForExit(5000);
        velk_.Stop();
        if (::HWND flip = ::FindWindowW(L"VelkPeerWindow", nullptr))
            ::PostMessageW(flip, WM_CLOSE, 0, 0);
        flipper_.WaitForExit(5000);
        flipper_.Stop();
        OnTheDevice::TearDown();
    }
    ChildProcess velk_, flipper_;
    ::HWND frame_ = nullptr;
};

::DWORD SoakSeconds() {
    wchar_t buf[16];
    const ::DWORD n = ::GetEnvironmentVariableW(L"VELK_SOAK_SECONDS", buf, 16);
    const ::DWORD seconds =
        n > 0 && n < 16 ? static_cast<::DWORD>(std::wcstoul(buf, nullptr, 10)) : 0;
    return seconds >= 20 ? seconds : 60;
}

TEST_F(Soak, HandlesAndGuiObjectsStayFlatWhileTheRadiosSwitchEveryTenthOfASecond) {
    const ::DWORD seconds = SoakSeconds();
    // Both radios follow the front caption; WiFi comes up only through the fallback.
    device::Set(L"WlanState", 4);
    device::Set(L"PowerUpFails", 1);
    device::Set(L"BringUpOnFallback", 1);
    device::Set(L"BthMode", 0);
    StoreInt(L"BTControl", 1);
    StoreInt(L"KeepPDAOn", 1);
    // A Bluetooth entry of the active list would end the tick before WiFi's: Bluetooth
    // comes on by the default action instead.
    StoreInt(L"DefaultAction", 1);
    StoreText(L"OnList", L"#wFlip on");
    StoreText(L"OffList", L"Flip off;#wFlip off");
    StoreText(L"OnRunList", L"");
    ASSERT_TRUE(velk_.Start(ProgramPath(), {L"10"}));
    ASSERT_TRUE(frame_ = WaitForProcessWindow(velk_.Id(), L"Velk"));
    const std::wstring lifetime = std::to_wstring((seconds + 60) * 1000);
    ASSERT_TRUE(flipper_.Start(PeerPath(), {L"flip", L"Flip on", L"Flip off", L"100", lifetime}));
    // In front, and staying there (the X server's focus events come a little late).
    const auto flipInFront = [] {
        const std::wstring front = ForegroundCaption();
        return front == L"Flip on" || front == L"Flip off";
    };
    ULONGLONG since = ::GetTickCount64();
    ASSERT_TRUE(WaitUntil([&] {
        if (!flipInFront()) {
            if (::HWND flip = ::FindWindowW(L"VelkPeerWindow", nullptr))
                ::SetForegroundWindow(flip);
            since = ::GetTickCount64();
        }
        return ::GetTickCount64() - since >= 1000;
    })) << "in front: "
        << ::testing::PrintToString(ForegroundCaption());

    // A sixth of the run warms up; then a sample every second. The first and the last
    // figures are each the least of three samples: the fallback holds two events for
    // 10 ms, and the device's test libraries open their log and state key in the
    // program's process at every call, which a single sample may catch.
    const ::DWORD warmUp = seconds / 6;
    ::Sleep(warmUp * 1000);
    std::vector<ObjectCounts> samples;
    for (::DWORD s = warmUp; s < seconds; ++s) {
        ::Sleep(1000);
        ASSERT_TRUE(velk_.Running());
        samples.push_back(CountObjects(velk_.Id()));
    }
    const auto least = [](auto first, auto last) {
        ObjectCounts m = *first;
        for (auto it = first; it != last; ++it) {
            m.handles = std::min(m.handles, it->handles);
            m.gdi = std::min(m.gdi, it->gdi);
            m.user = std::min(m.user, it->user);
        }
        return m;
    };
    ASSERT_GE(samples.size(), 6u);
    const ObjectCounts start = least(samples.begin(), samples.begin() + 3);
    const ObjectCounts last = least(samples.end() - 3, samples.end());
    ObjectCounts highest = start;
    for (const ObjectCounts& sample : samples) {
        highest.handles = std::max(highest.handles, sample.handles);
        highest.gdi = std::max(highest.gdi, sample.gdi);
        highest.user = std::max(highest.user, sample.user);
    }
    const std::size_t wifiSwitches = Calls({"SetDevicePower"}).size();
    const std::size_t bluetoothSwitches = Calls({"BthSetMode"}).size();
    std::printf(
        "soak %lus: after warm-up %s; at the end %s; highest %s; %zu WiFi and %zu "
        "Bluetooth switches\n",
        static_cast<unsigned long>(seconds), Describe(start).c_str(), Describe(last).c_str(),
        Describe(highest).c_str(), wifiSwitches, bluetoothSwitches);
    RecordProperty("start", Describe(start));
    RecordProperty("end", Describe(last));

    EXPECT_GT(start.handles, 0u);
    EXPECT_GT(start.user, 0u);
    // The radios did switch back and forth, many times.
    EXPECT_GT(wifiSwitches, seconds * 2);
    EXPECT_GT(bluetoothSwitches, seconds * 2);
    // Flat: what is open at the end was open after the warm-up.
    EXPECT_LE(last.handles, start.handles);
    EXPECT_LE(highest.handles, start.handles + 8);
    EXPECT_LE(last.gdi, start.gdi);
    EXPECT_LE(highest.gdi, start.gdi + 4);
    EXPECT_LE(last.user, start.user);
    EXPECT_LE(highest.user, start.user + 1);
}

}  // namespace
}  // namespace velk::wintest
