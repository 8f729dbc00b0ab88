// The simulated handheld: a Pocket PC of 240 x 320 pixels with its virtual clock, trace,
// registry, power manager and WLAN adapter, Microsoft Bluetooth stack, the Widcomm
// stack's console (a peer process, not running until started), and the window world in
// which every process has its own view of the window system, shell and process
// services.
//
// The program under test is a process made with CreateProcess (its seam calls are
// traced); peers and the applications a scenario opens are processes too, untraced.
// The control API below is what a user and the world do to the device; it is not
// traced. Actions that the device delivers as input (taps on the icon, button clicks,
// hardware buttons) are posted and take effect when a message loop (or Settle/RunFor)
// dispatches them. Misuse — a window, control, menu item or message box that is not
// there, a control the user cannot reach — throws SimError.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/model/client_windows.h"
#include "platform/platform.h"
#include "platform/sim/bluetooth.h"
#include "platform/sim/clock.h"
#include "platform/sim/device_options.h"
#include "platform/sim/power.h"
#include "platform/sim/process.h"
#include "platform/sim/registry.h"
#include "platform/sim/shell.h"
#include "platform/sim/trace.h"
#include "platform/sim/virtual_time.h"
#include "platform/sim/widcomm_console.h"
#include "platform/sim/world.h"
#include "platform/trace/services.h"
#include "platform/trace/shell.h"
#include "platform/trace/window_system.h"

namespace velk::sim {

class SimHandheld {
  public:
    SimHandheld();
    ~SimHandheld();
    SimHandheld(const SimHandheld&) = delete;
    SimHandheld& operator=(const SimHandheld&) = delete;

    Clock& GetClock() { return clock_; }
    const Clock& GetClock() const { return clock_; }
    Trace& GetTrace() { return trace_; }
    const Trace& GetTrace() const { return trace_; }
    SimRegistry& Registry() { return registry_; }
    const SimRegistry& Registry() const { return registry_; }
    SimPower& Power() { return power_; }
    const SimPower& Power() const { return power_; }
    SimBluetooth& Bluetooth() { return bluetooth_; }
    const SimBluetooth& Bluetooth() const { return bluetooth_; }
    World& GetWorld() { return world_; }
    // Everything a user does to the windows, as the model takes it.
    model::UserInput& Input() { return world_.Input(); }
    const World& GetWorld() const { return world_; }
    WidcommConsole& Widcomm() { return *widcomm_; }
    const WidcommConsole& Widcomm() const { return *widcomm_; }
    DWORD WidcommPid() const { return widcommPid_; }

    // --- processes -----------------------------------------------------------------
    // A process of the program under test, e.g. u"\\Windows\\Velk.exe".
    DWORD CreateProcess(std::u16string modulePath);
    // A peer process: its calls are not traced.
    DWORD CreatePeerProcess(std::u16string modulePath);
    // The seam as process pid sees it; valid as long as the handheld.
    Platform PlatformFor(DWORD pid);
    IWindowSystem& WindowsFor(DWORD pid);
    IShell& ShellFor(DWORD pid);
    SimProcess& ProcessFor(DWORD pid);
    void ExitProcess(DWORD pid, DWORD exitCode);
    std::optional<DWORD> ExitCode(DWORD pid) const;
    bool Running(DWORD pid) const;

    // The scenario's driver, woken by message loops when nothing is posted.
    void SetDriver(IScriptDriver* driver) { world_.SetDriver(driver); }

    // --- the device ----------------------------------------------------------------
    // Its display and libraries, set through the setters below.
    const DeviceOptions& Options() const { return options_; }
    void SetScreen(LONG width, LONG height) {
        options_.screenWidth = width;
        options_.screenHeight = height;
        world_.OptionsChanged();
    }
    // Places the shell's menu bar so that its top edge is at y.
    void SetMenuBarTop(LONG top) {
        options_.menuBarTop = top;
        world_.OptionsChanged();
    }
    void SetShellLibraryPresent(bool present) {
        options_.shellLibraryPresent = present;
        world_.OptionsChanged();
    }
    void SetCoredllPresent(bool present) { options_.coredllPresent = present; }
    void SetUnregisterFunc1Present(bool present) { options_.unregisterFunc1Present = present; }
    // Installs or removes the Microsoft stack's Bluetooth library. A library installed
    // again starts with the radio in the device's initial mode.
    void SetBluetoothLibraryPresent(bool present);
    // Whether the platform shell still holds Application Button 1 for itself.
    bool ShellHoldsAppButton1() const { return world_.ShellHolds(MOD_WIN, VK_APP1); }
    const std::vector<std::pair<UINT, UINT>>& UnregisterFunc1Calls() const {
        return world_.UnregisterFunc1Calls();
    }
    void SetMenuSource(std::function<const MenuTemplate*(WORD)> source) {
        world_.SetMenuSource(std::move(source));
    }

    // Handles the simulator gave out and nobody closed yet, over every process: what a
    // long run must keep flat.
    struct OpenHandles {
        std::size_t registryKeys = 0;
        std::size_t events = 0;
        std::size_t libraries = 0;
        std::size_t windows = 0;
        std::size_t timers = 0;
        std::size_t menus = 0;
        std::size_t mutexes = 0;
        friend bool operator==(const OpenHandles&, const OpenHandles&) = default;
    };
    OpenHandles CountOpenHandles() const;

    // --- applications and windows --------------------------------------------------
    // Starts an application (a peer process) whose visible window comes to the front.
    HWND OpenAppWindow(const std::u16string& caption, std::u16string modulePath = u"");
    // Brings a visible top-level window to the front (caption without regard to case).
    void Front(const std::u16string& caption);
    // Closes a top-level window as its close box would; an application whose last
    // window closes ends.
    void Close(const std::u16string& caption);
    void Retitle(const std::u16string& caption, const std::u16string& newCaption);
    // No application in front (the user is on none).
    void NoFront() { world_.ClearForeground(); }
    std::u16string FrontCaption() const;
    HWND FrontWindow() const { return world_.Foreground(); }
    // A top-level window, visible or hidden, by caption; SimError when none.
    HWND TopLevel(const std::u16string& caption) const;
    bool WindowExists(const std::u16string& caption) const;

    // --- the notification icon and its menu ----------------------------------------
    const std::vector<IconRecord>& Icons() const { return world_.Icons(); }
    WORD IconResource(HICON icon) const { return world_.IconResource(icon); }
    // Taps the one icon: its notification message with WM_LBUTTONDOWN, then with
    // WM_LBUTTONUP.
    void TapIcon() { Input().TapIcon(); }
    void TapIcon(HWND hwnd, UINT id) { Input().TapIcon(hwnd, id); }
    // Sends the icon's notification message with any mouse message (double taps...).
    void NotifyIcon(HWND hwnd, UINT id, UINT mouseMessage) {
        Input().ClickIcon(hwnd, id, mouseMessage);
    }
    bool MenuOpen() const { return world_.InnermostMenu() != nullptr; }
    const TrackedMenu& OpenMenu() const;  // the innermost open menu
    // Chooses by the text the menu shows, with or without its "&".
    void ChooseMenuItem(const std::u16string& text) { Input().ChooseMenuItem(text); }
    void CancelMenu() { Input().CancelMenu(); }

    // --- message boxes -------------------------------------------------------------
    bool MessageBoxShown() const { return !world_.MessageBoxes().empty(); }
    const MessageBoxRecord& FrontMessageBoxRecord() const;
    std::u16string FrontMessageBox() const { return FrontMessageBoxRecord().text; }
    void DismissMessageBox() { Input().DismissMessageBox(); }

    // --- dialogs and their controls ------------------------------------------------
    // The frontmost visible dialog (message boxes aside); SimError when none.
    HWND FrontDialog() const { return world_.FrontDialog(); }
    // A dialog by caption, visible or hidden.
    HWND FindDialog(const std::u16string& caption) const;
    HWND Control(HWND dialog, INT id) const { return model::ControlOf(world_, dialog, id); }

    // User actions, on the front dialog; the control must be visible.
    void TypeText(INT id, const std::u16string& text) { Input().TypeText(FrontDialog(), id, text); }
    void Check(INT id, int state) { Input().Check(FrontDialog(), id, state); }
    void Select(INT id, int index) { Input().Select(FrontDialog(), id, index); }
    void Click(INT id) { Input().Click(FrontDialog(), id); }
    // The OK button in the dialog's caption.
    void PressDone() { Input().PressDone(FrontDialog()); }

    // What a control shows (front dialog, or a given one, hidden or not).
    std::u16string ControlText(INT id) const { return ControlText(FrontDialog(), id); }
    int ControlChecked(INT id) const { return ControlChecked(FrontDialog(), id); }
    int ControlSelected(INT id) const { return ControlSelected(FrontDialog(), id); }
    std::vector<std::u16string> ControlItems(INT id) const {
        return ControlItems(FrontDialog(), id);
    }
    std::u16string ControlText(HWND dialog, INT id) const;
    int ControlChecked(HWND dialog, INT id) const;
    int ControlSelected(HWND dialog, INT id) const;
    std::vector<std::u16string> ControlItems(HWND dialog, INT id) const;
    bool ControlVisible(HWND dialog, INT id) const;

    // --- keys ----------------------------------------------------------------------
    // Press and release of a hardware button (Application Button 1 is 0xC1).
    void PressButton(UINT vk) { Input().PressKey(vk); }
    void ButtonDown(UINT vk) { Input().KeyDown(vk); }
    void ButtonUp(UINT vk) { Input().KeyUp(vk); }
    void SetKeyDown(UINT vk, bool down) { world_.SetKeyDown(vk, down); }
    // The key is down from now until virtual time t (inclusive).
    void HoldKeyUntil(UINT vk, unsigned long long t) { world_.HoldKeyUntil(vk, t); }

    // --- time ----------------------------------------------------------------------
    // Pumps the world with no program loop running: posted messages and timers due
    // within ms are dispatched to their windows; the clock ends at now + ms.
    void RunFor(unsigned long long ms) { world_.RunFor(ms); }
    // Dispatches what is posted; time does not move.
    void Settle() { world_.DispatchPosted(); }

  private:
    struct Views {
        Views(World& world, DWORD pid, Trace& trace, SimPower& simPower, SimBluetooth& simBluetooth)
            : model(world, pid),
              recorder(
                  trace, [&world] { return world.Now(); },
                  [&world, pid] { return world.Traced(pid); }),
              windows(model, recorder),
              simShell(world, pid),
              shell(simShell, recorder),
              simProcess(world, pid),
              process(simProcess, recorder),
              power(simPower, recorder),
              bluetooth(simBluetooth, recorder) {}
        // The model's answers and the device's services, traced while the process is the
        // one under test.
        model::ClientWindows model;
        trace::Recorder recorder;
        trace::TracedWindowSystem windows;
        SimShell simShell;
        trace::TracedShell shell;
        SimProcess simProcess;
        trace::TracedProcess process;
        trace::TracedPower power;
        trace::TracedBluetooth bluetooth;
    };
    Views& ViewsFor(DWORD pid);
    DWORD AddProcess(std::u16string modulePath, bool traced);
    const SimWindow& ControlWindow(HWND dialog, INT id) const;

    DeviceOptions options_;
    Clock clock_;
    VirtualTimeSource time_{clock_};
    Trace trace_;
    SimRegistry registry_;
    SimPower power_;
    SimBluetooth bluetooth_;
    World world_;
    std::map<DWORD, std::unique_ptr<Views>> views_;
    DWORD widcommPid_ = 0;
    std::unique_ptr<WidcommConsole> widcomm_;
};

}  // namespace velk::sim
