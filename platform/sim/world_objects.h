// The records of the simulated handheld's window world (world.h): windows and their
// controls' state, timers, hot keys, menus, message boxes, notification icons and
// processes, with the errors the simulator reports and the script driver it wakes.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/window_system.h"

namespace velk::sim {

// A scenario (or test) asked the simulator for something that is not there: a window,
// control, menu item or message box that does not exist, or a control the user could
// not reach.
class SimError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A message loop waits, but nothing is posted, no timer runs and the script driver has
// nothing more to do: the simulation cannot go on. Thrown out of GetMessageW so that
// the runner unwinds the program's stack.
class Halted : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The scenario's clock of events. The world wakes it only when no posted message is
// pending, so one user action is fully handled before the next command runs.
class IScriptDriver {
  public:
    virtual ~IScriptDriver() = default;
    // The virtual time of the next scripted event; nullopt when none remains.
    virtual std::optional<unsigned long long> NextWake() = 0;
    virtual void Wake() = 0;
};

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr UINT WA_INACTIVE = 0;
constexpr UINT WA_ACTIVE = 1;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT VK_APP1 = 0xC1;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_HOTKEY_ALREADY_REGISTERED = 1409;
constexpr INT kDefaultThreadPriority = 3;  // THREAD_PRIORITY_NORMAL on the device
constexpr LONG kTopBarHeight = 26;
constexpr LONG kMenuBarHeight = 26;

struct SimWindow {
    HWND hwnd;
    DWORD pid = 0;
    std::u16string className;
    std::u16string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent;  // children only
    HWND owner;   // top-level windows only
    RECT rect;    // screen coordinates
    INT id = 0;
    IWindowHandler* handler = nullptr;
    std::vector<HWND> children;  // in creation (tab) order
    bool destroying = false;

    bool isDialog = false;
    bool isMessageBox = false;
    bool doneButton = false;  // an OK button in the caption
    bool noActivate = false;  // the shell's menu bar never becomes foreground
    UINT messageBoxType = 0;

    // Control state.
    int check = 0;
    std::vector<std::u16string> items;
    int selection = -1;
    WORD iconResource = 0;

    bool IsChild() const { return (style & WS_CHILD) != 0; }
    bool HasStyle(DWORD s) const { return (style & s) == s; }
};

struct SimTimer {
    HWND hwnd;
    UINT_PTR id = 0;
    UINT period = 0;
    unsigned long long due = 0;
    unsigned long long seq = 0;
};

struct SimHotKey {
    HWND hwnd;
    INT id = 0;
    UINT modifiers = 0;
    UINT vk = 0;
};

struct SimMenuItem {
    std::u16string text;  // as the menu shows it, with its "&"; empty for a separator
    UINT id = 0;
    bool separator = false;
    HMENU popup;
};

struct SimMenu {
    std::vector<SimMenuItem> items;
    HMENU parent;  // the menu that holds this pop-up, null for a loaded menu
};

// A pop-up menu being tracked.
struct TrackedMenu {
    HMENU menu;
    UINT flags = 0;
    INT x = 0;
    INT y = 0;
    HWND owner;
    DWORD pid = 0;
    std::vector<std::u16string> items;  // texts of the commands and pop-ups, in order
    bool closed = false;
    std::optional<UINT> chosen;
};

struct MessageBoxRecord {
    HWND hwnd;
    HWND owner;
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
    DWORD pid = 0;
    bool dismissed = false;
};

struct IconRecord {
    DWORD pid = 0;
    NOTIFYICONDATA data;
};

struct SimProcessInfo {
    DWORD pid = 0;
    std::u16string modulePath;
    bool traced = false;  // the program under test: its seam calls are traced
    bool running = true;
    std::optional<DWORD> exitCode;
    bool quitPending = false;
    INT quitCode = 0;
    DWORD lastError = 0;
    INT threadPriority = kDefaultThreadPriority;
    std::vector<std::uintptr_t> mutexHandles;
};

}  // namespace velk::sim
