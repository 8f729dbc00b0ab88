// The records of the window model (window_model.h): windows and their controls' state,
// timers, hot keys, menus, message boxes and notification icons, with the error a user
// action on something that is not there raises.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/resources.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace velk::model {

// A user (or a scenario, or a test) asked for something that is not there: a window,
// control, menu item or message box that does not exist, or a control the user could
// not reach.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr UINT WA_INACTIVE = 0;
constexpr UINT WA_ACTIVE = 1;
constexpr UINT CBN_SELCHANGE = 1;
constexpr DWORD ERROR_HOTKEY_ALREADY_REGISTERED = 1409;

struct Window {
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
    // What a dialog and its controls were built from, for a view that lays them out in
    // its own units; the template must outlive the dialog (res/ keeps them for good).
    const DialogTemplate* dialogTemplate = nullptr;
    const DialogItemTemplate* itemTemplate = nullptr;

    // Control state.
    int check = 0;
    std::vector<std::u16string> items;
    int selection = -1;
    WORD iconResource = 0;

    bool IsChild() const { return (style & WS_CHILD) != 0; }
    bool HasStyle(DWORD s) const { return (style & s) == s; }
};

struct Timer {
    HWND hwnd;
    UINT_PTR id = 0;
    UINT period = 0;
    unsigned long long due = 0;
    unsigned long long seq = 0;
};

struct HotKey {
    HWND hwnd;
    INT id = 0;
    UINT modifiers = 0;
    UINT vk = 0;
};

struct MenuItem {
    std::u16string text;  // as the menu shows it, with its "&"; empty for a separator
    UINT id = 0;
    bool separator = false;
    HMENU popup;
};

struct Menu {
    std::vector<MenuItem> items;
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

// A process whose windows live in the model: its queue's quit request and the last
// error its window calls left.
struct Client {
    DWORD pid = 0;
    bool running = true;
    bool quitPending = false;
    INT quitCode = 0;
    DWORD lastError = 0;
};

}  // namespace velk::model
