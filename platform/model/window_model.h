// The window model: the program's own windows as plain data and code, with no operating
// system under them. Every window, the one message queue, timers, hot keys, menus,
// message boxes and notification icons of the processes (clients) whose windows it
// holds. It stands for the single user-interface thread that owns every window of
// every client: handlers run on the caller's stack, and a client's GetMessage pumps the
// whole model until something arrives for that client.
//
// It runs on a time source (time_source.h), takes the user's actions through one input
// API (input.h) and tells views what changed (observer.h). It knows no scenario, device
// or trace; a home feeds it the work area and the control classes it can make.
//
// Choices where the platform leaves room:
// - Timers: an elapse below 10 ms counts as 10 ms (USER_TIMER_MINIMUM), above
//   0x7FFFFFFF as 0x7FFFFFFF. A timer re-arms at its due time plus its period; when the
//   program was busy (Sleep) past several periods, they coalesce into one WM_TIMER and
//   the next one falls on the following period boundary. Timers due at the same moment
//   fire in order of creation; a timer due at the same moment as the time source's
//   wake fires first.
// - After a wait was woken, GetMessage returns a WM_NULL without a window when nothing
//   was posted for the caller, so every message loop re-checks its end condition
//   before time moves on.
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

#include "platform/model/objects.h"
#include "platform/model/observer.h"
#include "platform/model/time_source.h"
#include "platform/resources.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace velk::model {

class WindowModel {
  public:
    explicit WindowModel(ITimeSource& time);
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;
    virtual ~WindowModel() = default;

    ITimeSource& Time() { return time_; }
    unsigned long long Now() const { return time_.Now(); }

    // --- what the home tells it ----------------------------------------------------
    // Where dialogs and message boxes are placed (screen coordinates).
    void SetWorkArea(const RECT& area) { workArea_ = area; }
    RECT WorkArea() const { return workArea_; }
    // A dialog leaves out the controls of a class the home cannot make.
    void SetControlClassPresent(const std::u16string& className, bool present);
    void AddObserver(IModelObserver* observer);
    void RemoveObserver(IModelObserver* observer);
    // Called with every message as it reaches a window's handler from the queue (or a
    // timer); a home may trace them.
    void SetDeliveryHook(std::function<void(const MSG&)> hook) { deliveryHook_ = std::move(hook); }

    // --- clients -------------------------------------------------------------------
    void AddClient(DWORD pid);
    // The client is gone: its windows go without telling their handlers, with its
    // icons and posted messages.
    void RemoveClient(DWORD pid);
    Client& ClientOf(DWORD pid);  // UsageError when unknown
    const Client* FindClient(DWORD pid) const;

    // --- windows -------------------------------------------------------------------
    Window* Find(HWND hwnd);
    const Window* Find(HWND hwnd) const;
    Window& Get(HWND hwnd);  // UsageError when there is no such window
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
    // Sets or clears WS_VISIBLE alone: no activation, no change of the foreground.
    void SetVisibleFlag(HWND hwnd, bool visible);
    bool SetWindowPos(HWND hwnd, INT x, INT y, INT cx, INT cy, UINT flags);
    void SetRect(HWND hwnd, const RECT& rect);  // screen coordinates; moves children
    bool SetText(HWND hwnd, std::u16string text);
    HWND TopLevelOf(HWND hwnd) const;
    HWND SetFocus(HWND hwnd);
    HWND Focus() const { return focus_; }

    // --- messages ------------------------------------------------------------------
    // Calls the window's handler (or the default processing) on the caller's stack.
    LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // hwnd null: a message to the posting client itself.
    bool Post(DWORD fromPid, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuit(DWORD pid, INT exitCode);
    // The client's message loop step: FALSE on WM_QUIT. Waits on the time source.
    bool GetMessage(DWORD pid, MSG* msg);
    LRESULT Dispatch(const MSG& msg);
    UINT RegisterWindowMessage(const std::u16string& name);
    std::size_t PendingPosted() const { return posted_.size(); }
    // Dispatches every posted message (of every client); time does not move.
    void DispatchPosted();

    // --- timers and hot keys -------------------------------------------------------
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    const std::vector<Timer>& Timers() const { return timers_; }
    // When the next timer is due; none when no timer runs.
    std::optional<unsigned long long> NextTimerDue() const;
    // Fires the timer that is due first, to its window's handler, with no loop running.
    void FireNextTimer();
    // FALSE and ERROR_HOTKEY_ALREADY_REGISTERED in *error when taken by another
    // registration or held by the shell.
    bool RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk, DWORD* error);
    bool UnregisterHotKey(HWND hwnd, INT id);
    const std::vector<HotKey>& HotKeys() const { return hotKeys_; }
    void ButtonDown(UINT vk);
    void ButtonUp(UINT vk);
    void SetKeyDown(UINT vk, bool down);
    // The key counts as down until (and including) time t.
    void HoldKeyUntil(UINT vk, unsigned long long t);
    bool KeyDown(UINT vk) const;
    // Keys the platform's shell holds for itself ((modifiers, vk)): no hot key can take
    // them, and a press of one reaches the shell.
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
    // The frontmost visible dialog (message boxes aside); UsageError when none.
    HWND FrontDialog() const;
    int MessageBox(DWORD pid, HWND owner, const char16_t* text, const char16_t* caption, UINT type);
    // Open message boxes, innermost last.
    const std::vector<std::shared_ptr<MessageBoxRecord>>& MessageBoxes() const {
        return messageBoxes_;
    }
    // The innermost message box not yet dismissed; null when none.
    MessageBoxRecord* InnermostMessageBox() const;
    // The radio buttons of the group the button belongs to, in template order.
    std::vector<HWND> RadioGroup(HWND button) const;
    // What a user's tap on a button does: toggles an auto check box, checks an auto
    // radio button and clears the others of its group, then notifies the dialog.
    void ClickButton(HWND button);
    void SetCheck(Window& w, int check);
    void SetSelection(Window& w, int selection);

    // --- menus and icons -----------------------------------------------------------
    void SetMenuSource(std::function<const MenuTemplate*(WORD)> source) {
        menuSource_ = std::move(source);
    }
    HMENU LoadMenu(WORD resourceId);
    HMENU GetSubMenu(HMENU menu, INT pos) const;
    bool DestroyMenu(HMENU menu);
    const Menu* FindMenu(HMENU menu) const;
    bool TrackPopupMenu(DWORD pid, HMENU menu, UINT flags, INT x, INT y, HWND owner);
    const std::vector<std::shared_ptr<TrackedMenu>>& OpenMenus() const { return menus_; }
    // The innermost menu still open; null when none.
    TrackedMenu* InnermostMenu() const;
    HICON LoadIcon(WORD resourceId);
    // The resource id an icon handle was loaded from; 0 when unknown.
    WORD IconResource(HICON icon) const;
    bool NotifyIcon(DWORD pid, DWORD message, const NOTIFYICONDATA& data);
    const std::vector<IconRecord>& Icons() const { return icons_; }

    // --- what is open --------------------------------------------------------------
    std::size_t WindowCount() const { return windows_.size(); }
    std::size_t MenuCount() const { return menuTable_.size(); }

  protected:
    // A new window's record in the table and the z-order (top-level windows go in
    // front), announced to the observers.
    Window& Insert(std::unique_ptr<Window> w);
    HWND NewHandle();
    template <typename Call>
    void Notify(const Call& call) {
        for (IModelObserver* o : observers_)
            call(*o);
    }

  private:
    struct Posted {
        MSG msg;
        DWORD pid = 0;  // the client whose queue holds it
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
    HWND NextVisibleTopLevel(HWND except) const;
    void BringToFront(HWND hwnd);
    std::optional<std::size_t> NextTimer() const;
    void FireTimer(std::size_t index, DWORD pid, MSG* msg, bool* forCaller);
    LRESULT ControlProc(Window& w, UINT message, WPARAM wParam, LPARAM lParam);
    HMENU BuildMenu(std::span<const MenuItemTemplate> items, HMENU parent);
    // Runs a nested loop of pid until done() says so or a WM_QUIT arrives (which is
    // posted again for the outer loop).
    void ModalLoop(DWORD pid, const std::function<bool()>& done);
    void PostHotKey(const HotKey& k, bool keyUp);

    ITimeSource& time_;
    RECT workArea_{0, 0, 240, 320};
    std::set<std::u16string> absentControlClasses_;  // folded
    std::vector<IModelObserver*> observers_;
    std::function<void(const MSG&)> deliveryHook_;

    std::map<DWORD, Client> clients_;

    std::map<std::uintptr_t, std::unique_ptr<Window>> windows_;
    std::uintptr_t nextHwnd_ = 0x10000;
    std::vector<HWND> zOrder_;
    HWND foreground_;
    HWND focus_;
    std::set<std::u16string> classes_;

    std::deque<Posted> posted_;
    std::vector<Timer> timers_;
    unsigned long long nextTimerSeq_ = 0;
    std::map<std::u16string, UINT> registeredMessages_;

    std::vector<HotKey> hotKeys_;
    std::set<UINT> keysDown_;
    std::map<UINT, unsigned long long> keysHeldUntil_;
    std::set<std::pair<UINT, UINT>> shellKeys_;
    std::map<UINT, int> shellPresses_;

    std::vector<std::shared_ptr<MessageBoxRecord>> messageBoxes_;
    std::vector<std::shared_ptr<TrackedMenu>> menus_;
    std::map<std::uintptr_t, Menu> menuTable_;
    std::uintptr_t nextMenu_ = 0x20000;
    std::function<const MenuTemplate*(WORD)> menuSource_;
    std::map<std::uintptr_t, WORD> iconTable_;
    std::uintptr_t nextIcon_ = 0x30000;

    std::vector<IconRecord> icons_;
};

}  // namespace velk::model
