// The window manager of the seam, cut by role: the desktop's windows (desktop_windows.h),
// the program's windows and messages, dialogs, menus and message boxes, keys, timers and
// the idle timer; and the shell. Named and shaped after the Win32 calls so that
// application code reads like the platform's own.
#pragma once

#include <functional>

#include "platform/desktop_windows.h"
#include "platform/resources.h"
#include "platform/types.h"

namespace velk {

// Receives the messages of a window the program creates. The framework's CWnd
// implements it; default processing goes through IWindows::DefWindowProcW.
class IWindowHandler {
  public:
    virtual ~IWindowHandler() = default;
    virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

struct WNDCLASSW {
    UINT style = 0;
    LPARAM hbrBackground = 0;  // a system colour index + 1 (with the device's flag), or 0
    const char16_t* lpszClassName = nullptr;
};

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr INT GWL_STYLE = -16;
constexpr INT GWL_EXSTYLE = -20;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT GW_OWNER = 4;

struct PAINTSTRUCT {
    HDC hdc;
    RECT rcPaint;
};

// --- the roles -------------------------------------------------------------------------
// Each component takes only the roles it calls. A backend answers all of them in one
// object (IWindowSystem below); the Linux home answers the desktop's windows from its
// windowing system and the rest from the window model (platform/model).

// The program's own windows and their messages. Test fake: FakeWindows
// (tests/unit/support/fake_window_system.h).
class IWindows {
  public:
    virtual ~IWindows() = default;

    virtual BOOL RegisterClassW(const WNDCLASSW& wc) = 0;
    // handler receives every message of the window, from WM_NCCREATE on; it may be null
    // for windows that need no handler of the program's own.
    virtual HWND CreateWindowExW(DWORD exStyle, const char16_t* className,
                                 const char16_t* windowName, DWORD style, INT x, INT y, INT width,
                                 INT height, HWND parent, UINT_PTR idOrMenu,
                                 IWindowHandler* handler) = 0;
    virtual BOOL DestroyWindow(HWND hwnd) = 0;
    virtual LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL SetWindowTextW(HWND hwnd, const char16_t* text) = 0;
    virtual BOOL ShowWindow(HWND hwnd, INT cmdShow) = 0;
    virtual BOOL IsWindowVisible(HWND hwnd) = 0;
    virtual BOOL UpdateWindow(HWND hwnd) = 0;
    virtual BOOL GetWindowRect(HWND hwnd, RECT* rect) = 0;
    virtual BOOL SetWindowPos(HWND hwnd, HWND insertAfter, INT x, INT y, INT cx, INT cy,
                              UINT flags) = 0;
    virtual LONG GetWindowLongW(HWND hwnd, INT index) = 0;
    virtual HWND GetParent(HWND hwnd) = 0;
    virtual HWND GetWindow(HWND hwnd, UINT cmd) = 0;
    virtual HWND SetFocus(HWND hwnd) = 0;
    virtual HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) = 0;
    virtual BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) = 0;

    virtual BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) = 0;
    virtual BOOL TranslateMessage(const MSG* msg) = 0;
    virtual LRESULT DispatchMessageW(const MSG* msg) = 0;
    virtual BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(INT exitCode) = 0;
    virtual UINT RegisterWindowMessageW(const char16_t* name) = 0;
};

// Dialogs built from templates and their controls. Test fake: FakeWindowSystem.
class IDialogs {
  public:
    virtual ~IDialogs() = default;

    // Creates a modeless dialog from a template; handler receives WM_INITDIALOG and every
    // later message. The framework runs the modal loop itself.
    virtual HWND CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                                       IWindowHandler* handler) = 0;
    virtual BOOL IsDialogMessageW(HWND dialog, MSG* msg) = 0;
    virtual HWND GetDlgItem(HWND dialog, INT id) = 0;
    virtual INT GetDlgCtrlID(HWND hwnd) = 0;
    virtual BOOL MapDialogRect(HWND dialog, RECT* rect) = 0;
};

// Menus, icons and message boxes. (The notification icon itself is IShell's.) Test
// fake: FakeWindowSystem.
class IMenus {
  public:
    virtual ~IMenus() = default;

    virtual HMENU LoadMenuW(WORD resourceId) = 0;
    virtual HMENU GetSubMenu(HMENU menu, INT pos) = 0;
    virtual BOOL DestroyMenu(HMENU menu) = 0;
    // Returns when the menu closes; a chosen command is posted to owner as WM_COMMAND.
    virtual BOOL TrackPopupMenuEx(HMENU menu, UINT flags, INT x, INT y, HWND owner) = 0;
    virtual HICON LoadIconW(WORD resourceId) = 0;
    virtual INT MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption,
                            UINT type) = 0;
};

// Keys: hot keys and the state of a key. Test fake: FakeWindowSystem.
class IKeys {
  public:
    virtual ~IKeys() = default;

    virtual BOOL RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) = 0;
    virtual BOOL UnregisterHotKey(HWND hwnd, INT id) = 0;
    virtual SHORT GetAsyncKeyState(INT vk) = 0;
};

// A window's timers. Test fake: FakeWindowSystem.
class ITimers {
  public:
    virtual ~ITimers() = default;

    virtual UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) = 0;
    virtual BOOL KillTimer(HWND hwnd, UINT_PTR id) = 0;
};

// The system's idle timer, which keeps the device from suspending. Test fake:
// FakePower (tests/unit/support/fake_platform.h).
class IIdleTimer {
  public:
    virtual ~IIdleTimer() = default;

    virtual void SystemIdleTimerReset() = 0;
};

// Every role of the window system in one object: what a backend implements (and what
// an entry point hands out role by role). Test fake: FakeWindowSystem.
class IWindowSystem : public IDesktopWindows,
                      public IWindows,
                      public IDialogs,
                      public IMenus,
                      public IKeys,
                      public ITimers {};

// A window's whole text: its length, then that many characters. Text that shrank
// between the two calls keeps only what was copied. ReadWindowText reuses the
// capacity of text, so a caller that keeps its buffer allocates nothing once warm.
void ReadWindowText(IDesktopWindows& windows, HWND hwnd, CString& text);
CString GetWindowTextString(IDesktopWindows& windows, HWND hwnd);

// --- the shell ------------------------------------------------------------------------

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;

// The notification icon record, in the device's field order (152 bytes there).
struct NOTIFYICONDATA {
    DWORD cbSize = 0;
    HWND hWnd;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HICON hIcon;
    char16_t szTip[64] = {};
};

struct SHINITDLGINFO {
    DWORD dwMask = 0;
    HWND hDlg;
    DWORD dwFlags = 0;
};
constexpr DWORD SHIDIM_FLAGS = 0x0001;
constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr DWORD SHIDIF_SIPDOWN = 0x0008;

struct SHMENUBARINFO {
    HWND hwndParent;
    DWORD dwFlags = 0;
    UINT nToolBarId = 0;
    HWND hwndMB;  // out: the menu bar's window
};

class IShell {
  public:
    virtual ~IShell() = default;

    virtual BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) = 0;
    // The Pocket PC shell library. Where it is absent these answer FALSE and do nothing.
    virtual BOOL SHInitExtraControls() = 0;
    virtual BOOL SHInitDialog(const SHINITDLGINFO& info) = 0;
    virtual BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL SHCreateMenuBar(SHMENUBARINFO* info) = 0;
    // The screen's work area (the screen less the shell's bars).
    virtual RECT GetWorkArea() = 0;
};

}  // namespace velk
