// The cost of one switch-engine tick on a small in-memory platform: with the front
// caption unchanged (the common case, every 1.5 s) and with it changed, for rule lists
// of 10, 100 and 1,000 entries each. Reported per tick: heap allocations and platform
// calls.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/switch_engine.h"
#include "platform/power.h"
#include "platform/strings.h"
#include "tests/unit/support/fake_window_system.h"

// --- counting heap allocations ----------------------------------------------------------

namespace {
std::atomic<long long> g_allocations{0};

void* Allocate(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0)
        size = 1;
    if (void* p = std::malloc(size))
        return p;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(align);
    const std::size_t rounded = (size + a - 1) / a * a;
    if (void* p = std::aligned_alloc(a, rounded == 0 ? a : rounded))
        return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t a) {
    return AllocateAligned(size, a);
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return AllocateAligned(size, a);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

namespace velk {
namespace {

// --- the in-memory platform -------------------------------------------------------------

// Two front windows to switch between, and a few other windows that run.
class BenchWindows : public test::FakeWindowSystem {
  public:
    BenchWindows() {
        captions_ = {u"Window Title A", u"Window Title B", u"Calendar", u"Contacts",
                     u"Tasks",          u"Notes",          u"Messaging"};
    }
    void SetFront(std::uintptr_t index) { front_ = index; }

    HWND GetForegroundWindow() override {
        ++calls;
        return HWND{front_ + 1};
    }
    INT GetWindowTextLengthW(HWND h) override {
        ++calls;
        return static_cast<INT>(captions_[h.value - 1].size());
    }
    INT GetWindowTextW(HWND h, char16_t* buf, INT maxCount) override {
        ++calls;
        const std::u16string& c = captions_[h.value - 1];
        const INT n = std::min<INT>(static_cast<INT>(c.size()), maxCount - 1);
        c.copy(buf, static_cast<std::size_t>(n));
        buf[n] = u'\0';
        return n;
    }
    // Compares captions without regard to letter case, allocating nothing.
    HWND FindWindowW(const char16_t*, const char16_t* name) override {
        ++calls;
        ++finds;
        for (std::size_t i = 2; i < captions_.size(); ++i)
            if (EqualFolded(captions_[i], name))
                return HWND{i + 1};
        return HWND{};
    }

    long long calls = 0;
    long long finds = 0;

  private:
    static bool EqualFolded(const std::u16string& caption, const char16_t* name) {
        std::size_t i = 0;
        for (; i < caption.size(); ++i)
            if (name[i] == u'\0' || FoldChar(caption[i]) != FoldChar(name[i]))
                return false;
        return name[i] == u'\0';
    }

    std::vector<std::u16string> captions_;
    std::uintptr_t front_ = 0;
};

class BenchPower : public IPower {
  public:
    DWORD SetDevicePower(const char16_t*, DWORD, DWORD) override { return ++calls, 0; }
    DWORD GetDevicePower(const char16_t*, DWORD, DWORD*) override { return ++calls, 0; }
    BOOL KernelIoControl(DWORD, void*, DWORD, void*, DWORD, DWORD*) override { return ++calls, 1; }
    HANDLE CreateEventW(BOOL, BOOL, const char16_t*) override { return ++calls, HANDLE{}; }
    BOOL EventModify(HANDLE, DWORD) override { return ++calls, 0; }
    BOOL CloseHandle(HANDLE) override { return ++calls, 0; }
    void Sleep(DWORD) override { ++calls; }
    void SystemIdleTimerReset() override { ++calls; }
    long long calls = 0;
};

class BenchRadios : public IRadioOperations {
  public:
    void TurnBluetoothOn(INT) override { ++calls; }
    void TurnBluetoothOff(INT) override { ++calls; }
    INT IsBluetoothOn() override { return 0; }
    void TurnWiFiOn(INT) override { ++calls; }
    void TurnWiFiOff(INT) override { ++calls; }
    INT IsWiFiOn() override { return 0; }
    long long calls = 0;
};

// n entries per list, none of which matches or runs: every entry is tested. They share
// a beginning with the captions, so each prefix test compares several code units.
CStringArray List(const char* tag, std::int64_t n) {
    CStringArray list;
    for (std::int64_t i = 0; i < n; ++i) {
        CString entry = FromUtf8("window " + std::string(tag) + " " + std::to_string(i));
        Fold(entry);
        list.push_back(entry);
    }
    return list;
}

struct Fixture {
    explicit Fixture(std::int64_t n) {
        state.Lists.BTOnList = List("on", n);
        state.Lists.WFOnList = List("wf on", n);
        state.Lists.BTOffList = List("off", n);
        state.Lists.WFOffList = List("wf off", n);
        state.Lists.BTOnRunList = List("run", n);
        state.Lists.WFOnRunList = List("wf run", n);
        state.KeepPDAOn = 1;
        state.BTRadioState = 1;  // the keep-awake count runs too
    }
    EngineState state;
    BenchWindows windows;
    BenchPower power;
    BenchRadios radios;
    SwitchEngine engine{state, windows, power, radios};
};

void Report(benchmark::State& s, Fixture& f, long long allocations) {
    const auto perTick = benchmark::Counter::kAvgIterations;
    s.counters["allocs/tick"] = benchmark::Counter(static_cast<double>(allocations), perTick);
    // Window-system calls: the front window, its caption (length and text) and the
    // running-list look-ups. The power calls are the keep-awake pulse, 1 in 22 ticks.
    s.counters["window/tick"] = benchmark::Counter(static_cast<double>(f.windows.calls), perTick);
    s.counters["power/tick"] = benchmark::Counter(static_cast<double>(f.power.calls), perTick);
    s.counters["finds/tick"] = benchmark::Counter(static_cast<double>(f.windows.finds), perTick);
    s.counters["radio/tick"] = benchmark::Counter(static_cast<double>(f.radios.calls), perTick);
    s.SetComplexityN(s.range(0));
}

void BM_TickUnchanged(benchmark::State& s) {
    Fixture f(s.range(0));
    const std::function<void()> passOn = [] {};
    for (int i = 0; i < 3; ++i)
        f.engine.Tick(passOn);  // warm: buffers have their size
    f.windows.calls = f.windows.finds = f.power.calls = f.radios.calls = 0;
    const long long before = g_allocations.load();
    for (auto _ : s)
        f.engine.Tick(passOn);
    Report(s, f, g_allocations.load() - before);
}

void BM_TickChanged(benchmark::State& s) {
    Fixture f(s.range(0));
    const std::function<void()> passOn = [] {};
    std::uintptr_t front = 0;
    for (int i = 0; i < 3; ++i) {
        f.windows.SetFront(front ^= 1);
        f.engine.Tick(passOn);
    }
    f.windows.calls = f.windows.finds = f.power.calls = f.radios.calls = 0;
    const long long before = g_allocations.load();
    for (auto _ : s) {
        f.windows.SetFront(front ^= 1);  // every tick sees a new caption
        f.engine.Tick(passOn);
    }
    Report(s, f, g_allocations.load() - before);
}

BENCHMARK(BM_TickUnchanged)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);
BENCHMARK(BM_TickChanged)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);

}  // namespace
}  // namespace velk

BENCHMARK_MAIN();
