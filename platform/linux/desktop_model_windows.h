// The window system of the Linux program: the program's own windows, messages, dialogs,
// menus, timers and keys from the window model, joined to the desktop's windows from the
// provider's table.
//
// Which window is in front. The provider sees the program's own windows too (on X11 as
// the view's windows, with the program's process id). When the desktop's front window is
// one of the program's own, the answer is the model's foreground window: a settings
// dialog in front is that dialog, with its handle, caption and messages, exactly as the
// program made it. A desktop that gives no process ids (the wlroots protocol) is asked
// by caption: its front window is the program's own when the model's foreground window
// is visible and has the same caption. Any other window in front is the desktop's.
//
// Bringing one of the program's windows to the front while another program's window is in
// front: the model still holds its window as foreground, so it gives the foreground up
// first, and the view hears that the window comes to the front again.
//
// Searches and enumeration. FindWindowW looks among the program's own windows first (they
// have classes), then among the desktop's. EnumWindows gives the front window first, then
// the program's own windows in their order, then the desktop's others oldest first; the
// desktop's entries for the program's own windows are left out, so nothing is listed
// twice. Handles tell where a window lives: the table's carry DesktopTable::kHandleBit.
//
// The running copy. While another copy of the program holds the single-instance lock,
// its hidden main window is listed last, as a window of that copy's process: the
// program's own single-instance check then finds it as on any other home, and bringing
// it to the front asks that copy (over its channel) to bring its open dialog forward.
//
// Keys. The Up key's state is read from the desktop when asked; the capture key (the
// Application Button 1 hot key) is taken from the desktop while the program has it
// registered, and its presses come back through UserInput as the button's presses.
#pragma once

#include <functional>
#include <optional>

#include "platform/linux/desktop_table.h"
#include "platform/linux/table_desktop_windows.h"
#include "platform/model/client_windows.h"

namespace velk::linux {

class DesktopModelWindows : public model::ClientWindows {
  public:
    struct Hooks {
        // Whether the Up key is held now; empty: the model's own key state.
        std::function<bool()> upHeld;
        // Takes (true) or gives back (false) the desktop's capture key; empty: none.
        std::function<void(bool take)> captureKey;
        // The process of the copy that holds the single-instance lock elsewhere; asked
        // only while another process holds it.
        std::function<std::optional<DWORD>()> runningCopy;
        // Asks that copy to bring its open window forward.
        std::function<bool()> frontRunningCopy;
    };

    // The handle that stands for the running copy's main window.
    static constexpr HWND kRunningCopyWindow{std::uintptr_t{1} << 60};

    DesktopModelWindows(model::WindowModel& model, DWORD pid, DesktopTable& table,
                        IDesktopProvider& provider, Hooks hooks);

    HWND GetForegroundWindow() override;
    BOOL SetForegroundWindow(HWND hwnd) override;
    BOOL IsWindow(HWND hwnd) override;
    INT GetWindowTextLengthW(HWND hwnd) override;
    INT GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) override;
    HWND FindWindowW(const char16_t* className, const char16_t* windowName) override;
    BOOL EnumWindows(const WNDENUMPROC& callback) override;
    DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) override;

    SHORT GetAsyncKeyState(INT vk) override;
    BOOL RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) override;
    BOOL UnregisterHotKey(HWND hwnd, INT id) override;

    // Whether a desktop window is one of the program's own (see above).
    bool IsOwn(HWND desktopWindow) const;

  private:
    enum class Where { Model, Desktop, RunningCopy };
    Where Of(HWND hwnd) const;
    std::optional<DWORD> RunningCopy() const;

    model::WindowModel& model_;
    DesktopTable& table_;
    IDesktopProvider& provider_;
    TableDesktopWindows desktop_;
    Hooks hooks_;
};

}  // namespace velk::linux
