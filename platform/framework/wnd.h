// Window classes of the framework: CWnd (one object per window, bound to its handle
// while the window lives), CFrameWnd (the main window with its recorded menu and the
// command route view -> frame -> application) and CCeCommandBar (the menu bar).
#pragma once

#include "platform/framework/cmd_target.h"
#include "platform/platform.h"

namespace velk {

class CWinApp;

// Framework-only window style bits and ids.
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
constexpr UINT AFX_IDR_MENUBAR_EMPTY = 28700;  // the shell's empty menu-bar resource
constexpr DWORD CBRS_ALL = 0x0040FFFF;
constexpr DWORD CBRS_SIZE_FIXED = 0x0002;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr LPARAM COLOR_WINDOW = 5;
constexpr LPARAM SYS_COLOR_INDEX_FLAG = 0x40000000;  // the device's system-colour flag
constexpr INT kCommandBarHeight = 26;  // the stand-in bar on systems without the shell

// What a window is created from; PreCreateWindow may change any of it.
struct CREATESTRUCTW {
    DWORD dwExStyle = 0;
    CString lpszClass;  // empty: the preparation supplies one
    CString lpszName;
    DWORD style = 0;
    INT x = 0, y = 0, cx = 0, cy = 0;
    HWND hwndParent;
    UINT_PTR hMenu = 0;  // the child id
};

// Registers (once per process as far as the platform is concerned) a window class of
// the framework with these class styles and background, and returns its name.
CString AfxRegisterWndClass(IWindows& windows, UINT classStyle, LPARAM background);

// The roles a framework window calls: the desktop's windows (its own text, the front
// window), its own window and messages, its controls and its timers. Taken from the
// entry point's bundle, so a window is made from a Platform.
struct WndRoles {
    WndRoles(IDesktopWindows& desktop, IWindows& windows, IDialogs& dialogs, ITimers& timers)
        : desktop(desktop), windows(windows), dialogs(dialogs), timers(timers) {}
    WndRoles(const Platform& platform)  // NOLINT: made from the bundle where one is at hand
        : WndRoles(platform.desktop, platform.windows, platform.windows, platform.windows) {}

    IDesktopWindows& desktop;
    IWindows& windows;
    IDialogs& dialogs;
    ITimers& timers;
};

// What frames, menu bars and dialogs call besides: the shell, menus and message boxes.
struct ShellRoles {
    ShellRoles(IShell& shell, IMenus& menus) : shell(shell), menus(menus) {}
    ShellRoles(const Platform& platform)  // NOLINT: made from the bundle
        : ShellRoles(platform.shell, platform.windows) {}

    IShell& shell;
    IMenus& menus;
};

class CWnd : public CCmdTarget, public IWindowHandler {
  public:
    explicit CWnd(const WndRoles& roles);
    // A window still alive when its object goes is destroyed with it.
    ~CWnd() override;

    HWND m_hWnd;

    // --- creation -------------------------------------------------------------------
    BOOL CreateEx(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT_PTR id);
    BOOL Create(const char16_t* className, const char16_t* windowName, DWORD style,
                const RECT& rect, CWnd* parent, UINT id) {
        return CreateEx(0, className, windowName, style, rect, parent, id);
    }
    // The window-creation preparation: supplies a class when none is named.
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    BOOL DestroyWindow();

    // --- wrappers -------------------------------------------------------------------
    BOOL ShowWindow(INT cmdShow);
    BOOL UpdateWindow();
    BOOL GetWindowRect(RECT* rect) const;
    HWND SetFocus();
    BOOL SetForegroundWindow();
    BOOL IsWindowVisible() const;
    CString GetWindowText() const;
    BOOL SetWindowText(const CString& text);
    HWND GetDlgItem(INT id) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    IDesktopWindows& Desktop() const { return m_roles.desktop; }
    IWindows& Windows() const { return m_roles.windows; }
    IDialogs& Dialogs() const { return m_roles.dialogs; }
    ITimers& Timers() const { return m_roles.timers; }
    const WndRoles& Roles() const { return m_roles; }

    // --- messages -------------------------------------------------------------------
    // Receives every message of the window: binds the object to the handle at the first
    // one, dispatches through the map and unbinds at WM_NCDESTROY.
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // The platform's default processing of the message being handled.
    LRESULT Default();

  protected:
    // TRUE with *result set when the map handled the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // WM_COMMAND: routes the command; TRUE when some handler took it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window is gone (WM_NCDESTROY), the object still exists.
    virtual void OnNcDestroy() {}
    // Last call the framework makes on the object once its window is gone; runs when
    // no handler of this object is on the stack any more, so it may delete the object.
    virtual void PostNcDestroy() {}

    // Base handlers for the ON_WM_* entries: default processing.
    INT OnCreate(LPARAM) { return static_cast<INT>(Default()); }
    void OnSetFocus(HWND) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnPaint() { Default(); }
    void OnClose() { Default(); }

    // Adopts a window the program did not create itself (no handler of ours).
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach();

    WndRoles m_roles;

  private:
    MSG m_current;         // the message being handled, for Default()
    INT m_depth = 0;       // handlers of this object on the stack
    bool m_bound = false;  // our handler receives the window's messages
    bool m_finalPending = false;
};

}  // namespace velk
