// One switch-engine tick on the real Windows backend, against the same window-system
// calls made bare in a loop, for running lists of 10, 100 and 1,000 entries per radio.
// The front window's caption stays the same (the common tick) and no entry runs, so
// every entry is looked up and nothing is switched: the tick's calls are the front
// window, its caption's length and text, and one FindWindowW per entry.
//
// Google Benchmark is not built for Windows here, so each tick is timed with the
// performance counter, an engine tick and a bare one taking turns, and the median of
// each side is compared: a tick disturbed by the rest of the machine does not count.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/switch_engine.h"
#include "platform/strings.h"
#include "radio/bluetooth_control.h"
#include "radio/radios.h"
#include "radio/wlan_control.h"

// The backend brings <windows.h>, after the seam's headers as its own files do.
#include "platform/win32/platform.h"
#include "platform/win32/util.h"

namespace {

constexpr double kGoal = 1.10;
// Look-ups timed on each side for one list size, and the fewest ticks timed.
constexpr long long kLookupsPerSide = 4000;
constexpr long long kMinPairs = 7;

// A few top-level windows of our own for the look-ups to walk past, and the front one.
class Windows {
  public:
    Windows() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelkTickBench";
        RegisterClassW(&wc);
        for (int i = 0; i < 10; ++i) {
            const std::wstring caption = L"Bench window " + std::to_wstring(i);
            windows_.push_back(CreateWindowExW(0, wc.lpszClassName, caption.c_str(),
                                               WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                               nullptr, wc.hInstance, nullptr));
        }
        front_ = CreateWindowExW(0, wc.lpszClassName, L"Velk Tick Bench - Front Window",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        windows_.push_back(front_);
        SetForegroundWindow(front_);
        Pump();
    }
    ~Windows() {
        for (HWND h : windows_)
            DestroyWindow(h);
        UnregisterClassW(L"VelkTickBench", GetModuleHandleW(nullptr));
    }
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    bool FrontIsOurs() const { return GetForegroundWindow() == front_; }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }

  private:
    std::vector<HWND> windows_;
    HWND front_ = nullptr;
};

// n entries that name no window, folded as the stored lists are.
velk::CStringArray AbsentEntries(const char* tag, int n) {
    velk::CStringArray list;
    for (int i = 0; i < n; ++i) {
        velk::CString entry =
            velk::FromUtf8(std::string("velk bench absent ") + tag + " " + std::to_string(i));
        velk::Fold(entry);
        list.push_back(entry);
    }
    return list;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

template <typename Tick>
double TimeOne(Tick&& tick) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    tick();
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Result {
    double engine;  // seconds per tick, the median
    double bare;
};

Result Measure(velk::win32::Win32Backend& backend, int entries) {
    velk::EngineState state;
    state.Lists.BTOnRunList = AbsentEntries("bt", entries);
    state.Lists.WFOnRunList = AbsentEntries("wf", entries);
    state.BTControl = 1;  // the Microsoft stack; nothing is switched anyway
    const velk::Platform platform = backend.platform();
    velk::BluetoothControl bluetooth(state.BTControl, platform.desktop, platform.windows,
                                     platform.registry, platform.bluetooth);
    velk::WlanControl wlan(platform.power);
    velk::Radios radios(bluetooth, wlan);
    velk::SwitchEngine engine(state, platform.desktop, platform.power, radios);
    const std::function<void()> passOn = [] {};

    // The bare loop: the same calls, straight to the system.
    std::vector<const wchar_t*> names;
    for (const auto* list : {&state.Lists.BTOnRunList, &state.Lists.WFOnRunList})
        for (const velk::CString& entry : *list)
            names.push_back(velk::win32::Wide(entry.c_str()));
    std::wstring caption;
    HWND sink = nullptr;
    auto bare = [&] {
        const HWND front = GetForegroundWindow();
        const int length = GetWindowTextLengthW(front);
        caption.resize(static_cast<size_t>(length) + 1);
        caption.resize(static_cast<size_t>(GetWindowTextW(front, caption.data(), length + 1)));
        for (const wchar_t* name : names)
            sink = FindWindowW(nullptr, name);
    };
    auto tick = [&] { engine.Tick(passOn); };

    tick();  // the first tick sees a new caption; the timed ones see it unchanged
    bare();
    const long long pairs = std::max<long long>(kMinPairs, kLookupsPerSide / (2 * entries));
    std::vector<double> engineTimes, bareTimes;
    for (long long i = 0; i < pairs; ++i) {
        // One of each, taking turns at going first: both sides meet the same machine.
        if (i % 2 == 0) {
            engineTimes.push_back(TimeOne(tick));
            bareTimes.push_back(TimeOne(bare));
        } else {
            bareTimes.push_back(TimeOne(bare));
            engineTimes.push_back(TimeOne(tick));
        }
        if (i % 16 == 15)
            Windows::Pump();
    }
    const Result result{Median(engineTimes), Median(bareTimes)};
    if (sink != nullptr)
        std::printf("warning: an absent entry found a window\n");
    return result;
}

}  // namespace

int main() {
    Windows windows;
    if (!windows.FrontIsOurs())
        std::printf("warning: the bench window is not in front\n");
    velk::win32::Win32Backend backend([](velk::WORD) { return nullptr; });

    std::printf("one tick on the Windows backend vs. the same calls bare (goal: ratio <= %.2f)\n",
                kGoal);
    std::printf("%-22s %8s %14s %14s %7s\n", "running-list entries", "calls", "engine us/tick",
                "bare us/tick", "ratio");
    int status = 0;
    for (int entries : {10, 100, 1000}) {
        const Result r = Measure(backend, entries);
        const double ratio = r.engine / r.bare;
        std::printf("%-22s %8d %14.1f %14.1f %7.3f%s\n",
                    (std::to_string(entries) + " per radio").c_str(), 3 + 2 * entries,
                    r.engine * 1e6, r.bare * 1e6, ratio, ratio <= kGoal ? "" : "  over the goal");
        if (ratio > kGoal)
            status = 1;
    }
    return status;
}
