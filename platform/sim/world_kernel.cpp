// The simulated handheld's kernel side: the process table and named mutexes.
#include "platform/sim/world.h"

#include "platform/sim/trace_format.h"
#include "platform/strings.h"

namespace velk::sim {

World::World(Clock& clock, Trace& trace, const DeviceOptions& options)
    : clock_(clock),
      trace_(trace),
      options_(options),
      menuSource_([](WORD id) { return FindMenuTemplate(id); }) {
    // The shell of the handheld keeps Application Button 1 for itself until someone
    // takes it with UnregisterFunc1.
    shellKeys_.insert({MOD_WIN, VK_APP1});
}

// --- processes ---------------------------------------------------------------------

DWORD World::AddProcess(std::u16string modulePath, bool traced) {
    DWORD pid = nextPid_;
    nextPid_ += 4;
    SimProcessInfo& p = processes_[pid];
    p.pid = pid;
    p.modulePath = std::move(modulePath);
    p.traced = traced;
    return pid;
}

void World::ExitProcess(DWORD pid, DWORD exitCode) {
    SimProcessInfo& p = Process(pid);
    if (!p.running)
        return;
    p.running = false;
    p.exitCode = exitCode;
    p.quitPending = false;
    // The process's code is gone: its windows go without telling their handlers.
    for (auto& [value, w] : windows_)
        if (w->pid == pid)
            w->handler = nullptr;
    std::vector<HWND> own;
    for (HWND h : zOrder_)
        if (Find(h) && Find(h)->pid == pid)
            own.push_back(h);
    for (HWND h : own)
        DestroyWindow(h);
    std::erase_if(icons_, [&](const IconRecord& r) { return r.pid == pid; });
    std::erase_if(posted_, [&](const Posted& m) { return m.pid == pid; });
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
