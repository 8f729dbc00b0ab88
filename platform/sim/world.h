// The simulated handheld's window world: the window model (platform/model) on the
// virtual clock, with what the handheld adds to it: its processes (each a client of the
// model), named mutexes, the shell's hold on Application Button 1, the menu bar along
// the screen's edge, and the trace of the program under test.
//
// The per-process views (the model's ClientWindows under the trace's
// TracedWindowSystem, SimShell, SimProcess) forward the seam's calls here and trace
// them; the handheld's control API (the scenario runner, tests) calls the
// world directly and is not traced.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/model/input.h"
#include "platform/model/window_model.h"
#include "platform/sim/clock.h"
#include "platform/sim/device_options.h"
#include "platform/sim/trace.h"
#include "platform/sim/virtual_time.h"
#include "platform/types.h"

namespace velk::sim {

// The model's records under the simulator's names.
using SimError = model::UsageError;
using SimWindow = model::Window;
using SimTimer = model::Timer;
using SimHotKey = model::HotKey;
using SimMenu = model::Menu;
using SimMenuItem = model::MenuItem;
using model::IconRecord;
using model::MessageBoxRecord;
using model::TrackedMenu;

constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr INT kDefaultThreadPriority = 3;  // THREAD_PRIORITY_NORMAL on the device
constexpr LONG kTopBarHeight = 26;
constexpr LONG kMenuBarHeight = 26;
using model::CBN_SELCHANGE;
using model::ERROR_HOTKEY_ALREADY_REGISTERED;
using model::FALSE;
using model::TRUE;

struct SimProcessInfo {
    DWORD pid = 0;
    std::u16string modulePath;
    bool traced = false;  // the program under test: its seam calls are traced
    bool running = true;
    std::optional<DWORD> exitCode;
    INT threadPriority = kDefaultThreadPriority;
    std::vector<std::uintptr_t> mutexHandles;
};

class World : public model::WindowModel {
  public:
    // options is the handheld's; the handheld tells the world when they change.
    World(VirtualTimeSource& time, Trace& trace, const DeviceOptions& options);

    Clock& GetClock() { return time_.GetClock(); }
    const DeviceOptions& Options() const { return options_; }
    // Passes the display and the shell library's presence on to the model.
    void OptionsChanged();
    Trace& GetTrace() { return trace_; }
    void SetDriver(IScriptDriver* driver) { time_.SetDriver(driver); }
    model::UserInput& Input() { return input_; }

    // --- processes -----------------------------------------------------------------
    DWORD AddProcess(std::u16string modulePath, bool traced);
    // Records the exit code and removes the process's windows, icons, timers, hot keys
    // and mutex handles.
    void ExitProcess(DWORD pid, DWORD exitCode);
    SimProcessInfo& Process(DWORD pid);  // SimError when unknown
    const SimProcessInfo* FindProcess(DWORD pid) const;
    bool Traced(DWORD pid) const;
    const std::map<DWORD, SimProcessInfo>& Processes() const { return processes_; }

    // --- time ----------------------------------------------------------------------
    // Pumps the world with no program loop running: dispatches posted messages and the
    // timers that fall due within ms, then leaves the clock at now + ms. The driver is
    // not woken.
    void RunFor(unsigned long long ms);

    // --- the screen ----------------------------------------------------------------
    RECT Screen() const { return {0, 0, options_.screenWidth, options_.screenHeight}; }
    LONG MenuBarTop() const {
        return options_.menuBarTop ? *options_.menuBarTop : options_.screenHeight - kMenuBarHeight;
    }
    RECT DeviceWorkArea() const { return {0, kTopBarHeight, options_.screenWidth, MenuBarTop()}; }
    HWND CreateMenuBar(DWORD pid, HWND parent);

    // --- kernel objects --------------------------------------------------------------
    // Opens (or creates) a named mutex; *existed tells whether the name was already
    // there. A null name makes an unnamed one.
    HANDLE CreateMutex(DWORD pid, const char16_t* name, bool* existed);
    bool MutexExists(const std::u16string& name) const;
    // UnregisterFunc1 as the shell carries it out: the key is no longer the shell's.
    void UnregisterFunc1(UINT modifiers, UINT vk);
    const std::vector<std::pair<UINT, UINT>>& UnregisterFunc1Calls() const {
        return unregisterFunc1Calls_;
    }
    std::size_t MutexHandleCount() const { return mutexHandles_.size(); }

  private:
    VirtualTimeSource& time_;
    Trace& trace_;
    const DeviceOptions& options_;
    model::UserInput input_{*this};

    std::map<DWORD, SimProcessInfo> processes_;
    DWORD nextPid_ = 0x100;

    // Named kernel objects compare their names exactly. Unnamed mutexes get a key of
    // their own that no name can spell (it starts with a null character).
    std::map<std::uintptr_t, std::u16string> mutexHandles_;
    std::map<std::u16string, int> mutexOpenCounts_;
    std::uintptr_t nextMutex_ = 0x40000;
    std::vector<std::pair<UINT, UINT>> unregisterFunc1Calls_;  // (modifiers, vk)
};

}  // namespace velk::sim
