// The simulated handheld's world beyond the model: the process table, named mutexes,
// the menu bar and the virtual clock's runs.
#include "platform/sim/world.h"

#include "platform/sim/trace.h"
#include "platform/strings.h"

namespace velk::sim {

World::World(VirtualTimeSource& time, Trace& trace, const DeviceOptions& options)
    : model::WindowModel(time), time_(time), trace_(trace), options_(options) {
    // The shell of the handheld keeps Application Button 1 for itself until someone
    // takes it with UnregisterFunc1.
    ShellTake(MOD_WIN, VK_APP1);
    OptionsChanged();
    SetDeliveryHook([this](const MSG& msg) {
        const SimWindow* w = Find(msg.hwnd);
        if (!w || !Traced(w->pid))
            return;
        trace_.Record(Now(), "Message",
                      TraceHandle(msg.hwnd.value) + ", " + MessageName(msg.message) + ", " +
                          std::to_string(msg.wParam) + ", " + std::to_string(msg.lParam));
    });
}

void World::OptionsChanged() {
    SetWorkArea(DeviceWorkArea());
    // The input-panel preference control comes with the Pocket PC shell only.
    SetControlClassPresent(kClassSipPref, options_.shellLibraryPresent);
}

// --- processes ---------------------------------------------------------------------

DWORD World::AddProcess(std::u16string modulePath, bool traced) {
    DWORD pid = nextPid_;
    nextPid_ += 4;
    SimProcessInfo& p = processes_[pid];
    p.pid = pid;
    p.modulePath = std::move(modulePath);
    p.traced = traced;
    AddClient(pid);
    return pid;
}

void World::ExitProcess(DWORD pid, DWORD exitCode) {
    SimProcessInfo& p = Process(pid);
    if (!p.running)
        return;
    p.running = false;
    p.exitCode = exitCode;
    RemoveClient(pid);
    SimProcessInfo& after = Process(pid);
    for (std::uintptr_t h : after.mutexHandles) {
        auto it = mutexHandles_.find(h);
        if (it == mutexHandles_.end())
            continue;
        if (--mutexOpenCounts_[it->second] <= 0)
            mutexOpenCounts_.erase(it->second);
        mutexHandles_.erase(it);
    }
    after.mutexHandles.clear();
}

SimProcessInfo& World::Process(DWORD pid) {
    auto it = processes_.find(pid);
    if (it == processes_.end())
        throw SimError("no process with id " + std::to_string(pid));
    return it->second;
}

const SimProcessInfo* World::FindProcess(DWORD pid) const {
    auto it = processes_.find(pid);
    return it == processes_.end() ? nullptr : &it->second;
}

bool World::Traced(DWORD pid) const {
    const SimProcessInfo* p = FindProcess(pid);
    return p && p->traced;
}

// --- time --------------------------------------------------------------------------

void World::RunFor(unsigned long long ms) {
    const unsigned long long target = Now() + ms;
    for (;;) {
        DispatchPosted();
        const std::optional<unsigned long long> due = NextTimerDue();
        if (!due || *due > target)
            break;
        GetClock().AdvanceTo(*due);
        FireNextTimer();
    }
    GetClock().AdvanceTo(target);
}

// --- the screen --------------------------------------------------------------------

HWND World::CreateMenuBar(DWORD pid, HWND parent) {
    if (!options_.shellLibraryPresent)
        return HWND{};
    HWND bar = CreateWindow(pid, 0, u"menu_worker", u"", WS_POPUP, 0, MenuBarTop(),
                            options_.screenWidth, kMenuBarHeight, parent, 0, nullptr);
    if (!bar)
        return bar;
    // Visible along the bottom edge, but never the active window.
    Get(bar).noActivate = true;
    SetVisibleFlag(bar, true);
    return bar;
}

// --- kernel objects ----------------------------------------------------------------

HANDLE World::CreateMutex(DWORD pid, const char16_t* name, bool* existed) {
    SimProcessInfo& p = Process(pid);
    std::uintptr_t h = nextMutex_;
    nextMutex_ += 4;
    std::u16string key;
    if (name && *name)
        key = name;
    else
        key = std::u16string(1, u'\0') + FromUtf8(std::to_string(h));
    int& count = mutexOpenCounts_[key];
    *existed = count > 0 && name && *name;
    ++count;
    mutexHandles_[h] = key;
    p.mutexHandles.push_back(h);
    return HANDLE{h};
}

bool World::MutexExists(const std::u16string& name) const {
    auto it = mutexOpenCounts_.find(name);
    return it != mutexOpenCounts_.end() && it->second > 0;
}

void World::UnregisterFunc1(UINT modifiers, UINT vk) {
    unregisterFunc1Calls_.emplace_back(modifiers, vk);
    ShellRelease(modifiers, vk);
}

}  // namespace velk::sim
