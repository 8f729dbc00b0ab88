// The simulated handheld's window world: every window, the one message queue, timers,
// hot keys, menus, message boxes, notification icons, named mutexes and the process
// table. It stands for the single user-interface thread of the device that owns every
// window of every process: handlers run on the caller's stack, and a process's
// GetMessageW pumps the whole world until something arrives for that process.
//
// The per-process views (SimWindowSystem, SimShell, SimProcess) forward the seam's calls
// here and trace them; the handheld's control API (the scenario runner, tests) calls the
// world directly and is not traced.
//
// Choices where the device leaves room:
// - Timers: an elapse below 10 ms counts as 10 ms (USER_TIMER_MINIMUM), above
//   0x7FFFFFFF as 0x7FFFFFFF. A timer re-arms at its due time plus its period; when the
//   program was busy (Sleep) past several periods, they coalesce into one WM_TIMER and
//   the next one falls on the following period boundary. Timers due at the same moment
//   fire in order of creation; a timer due at the same moment as the driver's wake
//   fires first.
// - After the script driver was woken, GetMessageW returns a WM_NULL without a window
//   when nothing was posted for the caller, so every message loop re-checks its end
//   condition before virtual time moves on.
// - Destruction: owned windows first, then WM_DESTROY to the window, then its children
//   (each completely), then WM_NCDESTROY to the window.
// - Foreground: when the foreground window is hidden or destroyed, the next visible
//   top-level window in z-order becomes the foreground window, or none. Showing a
//   top-level window (created visible, SW_SHOW, SW_SHOWNORMAL) brings it to the front
//   and makes it foreground. Activation changes send WM_ACTIVATE (WA_INACTIVE to the old
//   window, WA_ACTIVE to the new one).
// - Dialog units: one horizontal and one vertical dialog unit are each 1.5 pixels.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/resources.h"
#include "platform/sim/clock.h"
#include "platform/sim/device_options.h"
#include "platform/sim/trace.h"
#include "platform/sim/world_objects.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace velk::sim {

class World {
  public:
    // options is the handheld's: read at each call, so changes take effect at once.
    World(Clock& clock, Trace& trace, const DeviceOptions& options);
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    Clock& GetClock() { return clock_; }
    // Records a seam call of process pid when that process is the one under test.
    template <typename Args>
    void TraceCall(DWORD pid, const char* name, Args&& args) {
        if (Traced(pid))
            trace_.Record(clock_.Now(), name, std::forward<Args>(args));
    }
    const DeviceOptions& Options() const { return options_; }
    Trace& GetTrace() { return trace_; }

    // --- processes -----------------------------------------------------------------
    DWORD AddProcess(std::u16string modulePath, bool traced);
    // Records the exit code and removes the process's windows, icons, timers, hot keys
    // and mutex handles.
    void ExitProcess(DWORD pid, DWORD exitCode);
    SimProcessInfo& Process(DWORD pid);  // SimError when unknown
    const SimProcessInfo* FindProcess(DWORD pid) const;
    bool Traced(DWORD pid) const;
    const std::map<DWORD, SimProcessInfo>& Processes() const { return processes_; }

    // --- windows -------------------------------------------------------------------
    SimWindow* Find(HWND hwnd);
    const SimWindow* Find(HWND hwnd) const;
    SimWindow& Get(HWND hwnd);  // SimError when there is no such window
    bool RegisterClass(const std::u16string& name);
    HWND CreateWindow(DWORD pid, DWORD exStyle, const char16_t* className,
                      const char16_t* windowName, DWORD style, INT x, INT y, INT width, INT height,
                      HWND parent, UINT_PTR idOrMenu, IWindowHandler* handler);
    bool DestroyWindow(HWND hwnd);
    LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND FindWindow(const char16_t* className, const char16_t* windowName) const;
    // Top-level windows, front to back, visible and hidden.
    const std::vector<HWND>& ZOrder() const { return zOrder_; }
    HWND Foreground() const { return foreground_; }
    // Brings a top-level window (or a child's top-level ancestor) to the front and
    // makes it foreground. The lowest bit of the handle is stripped first.
    bool SetForeground(HWND hwnd);
    // Makes no window foreground (the user is on no application).
    void ClearForeground();
    bool ShowWindow(HWND hwnd, INT cmdShow);
    bool IsVisible(HWND hwnd) const;  // the window and all its ancestors
    bool SetWindowPos(HWND hwnd, INT x, INT y, INT cx, INT cy, UINT flags);
    void SetRect(HWND hwnd, const RECT& rect);  // screen coordinates; moves children
    HWND TopLevelOf(HWND hwnd) const;
    HWND SetFocus(HWND hwnd);
    HWND Focus() const { return focus_; }

    // --- messages ------------------------------------------------------------------
    // Calls the window's handler (or the default processing) on the caller's stack.
    LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // hwnd null: a message to the posting process itself.
    bool Post(DWORD fromPid, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuit(DWORD pid, INT exitCode);
    // The process's message loop step: FALSE on WM_QUIT. Throws Halted.
    bool GetMessage(DWORD pid, MSG* msg);
    LRESULT Dispatch(const MSG& msg);
    UINT RegisterWindowMessage(const std::u16string& name);
    std::size_t PendingPosted() const { return posted_.size(); }

    // Pumps the world with no program loop running: dispatches posted messages and the
    // timers that fall due within ms, then leaves the clock at now + ms. The driver is
    // not woken.
    void RunFor(unsigned long long ms);
    // Dispatches every posted message (of every process); time does not move.
    void DispatchPosted();

    void SetDriver(IScriptDriver* driver) { driver_ = driver; }

    // --- timers and hot keys -------------------------------------------------------
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    const std::vector<SimTimer>& Timers() const { return timers_; }
    // FALSE and ERROR_HOTKEY_ALREADY_REGISTERED in *error when taken by another
    // registration or held by the shell.
    bool RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk, DWORD* error);
    bool UnregisterHotKey(HWND hwnd, INT id);
    const std::vector<SimHotKey>& HotKeys() const { return hotKeys_; }
    void ButtonDown(UINT vk);
    void ButtonUp(UINT vk);
    void SetKeyDown(UINT vk, bool down);
    // The key counts as down until (and including) virtual time t.
    void HoldKeyUntil(UINT vk, unsigned long long t);
    bool KeyDown(UINT vk) const;
    // Keys the platform shell holds for itself ((modifiers, vk)); Application Button 1
    // with MOD_WIN at start.
    bool ShellHolds(UINT modifiers, UINT vk) const;
    void ShellRelease(UINT modifiers, UINT vk);
    void ShellTake(UINT modifiers, UINT vk);
    // Presses that reached the shell because no hot key took them.
    int ShellButtonPresses(UINT vk) const;

    // --- dialogs -------------------------------------------------------------------
    HWND CreateDialog(DWORD pid, const DialogTemplate& tmpl, HWND parent, IWindowHandler* handler);
    HWND GetDlgItem(HWND dialog, INT id) const;
    static LONG DialogUnitsX(LONG x) { return x * 3 / 2; }
    static LONG DialogUnitsY(LONG y) { return y * 3 / 2; }
    int MessageBox(DWORD pid, HWND owner, const char16_t* text, const char16_t* caption, UINT type);
    // Open message boxes, innermost last.
    const std::vector<std::shared_ptr<MessageBoxRecord>>& MessageBoxes() const {
        return messageBoxes_;
    }
    void DismissMessageBox();
    // The radio buttons of the group the button belongs to, in template order.
    std::vector<HWND> RadioGroup(HWND button) const;
    // What a user's tap on a button does: toggles an auto check box, checks an auto
    // radio button and clears the others of its group, then notifies the dialog.
    void ClickButton(HWND button);

    // --- menus and icons -----------------------------------------------------------
    void SetMenuSource(std::function<const MenuTemplate*(WORD)> source) {
        menuSource_ = std::move(source);
    }
    HMENU LoadMenu(WORD resourceId);
    HMENU GetSubMenu(HMENU menu, INT pos) const;
    bool DestroyMenu(HMENU menu);
    const SimMenu* FindMenu(HMENU menu) const;
    bool TrackPopupMenu(DWORD pid, HMENU menu, UINT flags, INT x, INT y, HWND owner);
    const std::vector<std::shared_ptr<TrackedMenu>>& OpenMenus() const { return menus_; }
    void ChooseMenuItem(const std::u16string& text);
    void CancelMenu();
    HICON LoadIcon(WORD resourceId);
    // The resource id an icon handle was loaded from; 0 when unknown.
    WORD IconResource(HICON icon) const;

    // --- the shell -----------------------------------------------------------------
    bool NotifyIcon(DWORD pid, DWORD message, const NOTIFYICONDATA& data);
    const std::vector<IconRecord>& Icons() const { return icons_; }
    RECT Screen() const { return {0, 0, options_.screenWidth, options_.screenHeight}; }
    LONG MenuBarTop() const {
        return options_.menuBarTop ? *options_.menuBarTop : options_.screenHeight - kMenuBarHeight;
    }
    RECT WorkArea() const { return {0, kTopBarHeight, options_.screenWidth, MenuBarTop()}; }
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

    // --- what is open --------------------------------------------------------------
    std::size_t WindowCount() const { return windows_.size(); }
    std::size_t MenuCount() const { return menuTable_.size(); }
    std::size_t MutexHandleCount() const { return mutexHandles_.size(); }

  private:
    struct Posted {
        MSG msg;
        DWORD pid = 0;  // the process whose queue holds it
    };

    enum class Step { Message, Quit, Nothing };
    // Takes the oldest posted message for pid, dispatching others' messages met on the
    // way; WM_QUIT when pending; otherwise nothing.
    Step TakePosted(DWORD pid, MSG* msg);
    void RecordDelivery(const MSG& msg);
    void Deliver(const MSG& msg);
    void DestroyTree(HWND hwnd);
    void Unlink(HWND hwnd);
    void ChangeForeground(HWND hwnd);
    void HideUpdate(HWND hwnd);
    HWND NextVisibleTopLevel(HWND except) const;
    void BringToFront(HWND hwnd);
    std::optional<std::size_t> NextTimer() const;
    void FireTimer(std::size_t index, DWORD pid, MSG* msg, bool* forCaller);
    LRESULT ControlProc(SimWindow& w, UINT message, WPARAM wParam, LPARAM lParam);
    HMENU BuildMenu(std::span<const MenuItemTemplate> items, HMENU parent);
    // Runs a nested loop of pid until done() says so or a WM_QUIT arrives (which is
    // posted again for the outer loop).
    void ModalLoop(DWORD pid, const std::function<bool()>& done);
    HWND NewHandle();
    void PostHotKey(const SimHotKey& k, bool keyUp);

    Clock& clock_;
    Trace& trace_;
    const DeviceOptions& options_;
    IScriptDriver* driver_ = nullptr;
    unsigned long long lastWakeTime_ = ~0ull;
    std::size_t wakesAtSameTime_ = 0;

    std::map<DWORD, SimProcessInfo> processes_;
    DWORD nextPid_ = 0x100;

    std::map<std::uintptr_t, std::unique_ptr<SimWindow>> windows_;
    std::uintptr_t nextHwnd_ = 0x10000;
    std::vector<HWND> zOrder_;
    HWND foreground_;
    HWND focus_;
    std::set<std::u16string> classes_;

    std::deque<Posted> posted_;
    std::vector<SimTimer> timers_;
    unsigned long long nextTimerSeq_ = 0;
    std::map<std::u16string, UINT> registeredMessages_;

    std::vector<SimHotKey> hotKeys_;
    std::set<UINT> keysDown_;
    std::map<UINT, unsigned long long> keysHeldUntil_;
    std::set<std::pair<UINT, UINT>> shellKeys_;
    std::map<UINT, int> shellPresses_;

    std::vector<std::shared_ptr<MessageBoxRecord>> messageBoxes_;
    std::vector<std::shared_ptr<TrackedMenu>> menus_;
    std::map<std::uintptr_t, SimMenu> menuTable_;
    std::uintptr_t nextMenu_ = 0x20000;
    std::function<const MenuTemplate*(WORD)> menuSource_;
    std::map<std::uintptr_t, WORD> iconTable_;
    std::uintptr_t nextIcon_ = 0x30000;

    std::vector<IconRecord> icons_;

    // Named kernel objects compare their names exactly. Unnamed mutexes get a key of
    // their own that no name can spell (it starts with a null character).
    std::map<std::uintptr_t, std::u16string> mutexHandles_;
    std::map<std::u16string, int> mutexOpenCounts_;
    std::uintptr_t nextMutex_ = 0x40000;
    std::vector<std::pair<UINT, UINT>> unregisterFunc1Calls_;  // (modifiers, vk)
};

}  // namespace velk::sim
