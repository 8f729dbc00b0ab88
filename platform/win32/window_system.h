// The window manager of the seam over the desktop's user interface. Windows that the
// program creates get their messages routed to their IWindowHandler; dialogs and menus
// are built in memory from the program's resource templates.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/resources.h"
#include "platform/window_system.h"

#include "platform/win32/dpi.h"
#include "platform/win32/library.h"
#include "platform/win32/util.h"

namespace velk::win32 {

// Finds one of the program's menu templates by resource id; null when there is none.
using MenuLookup = std::function<const MenuTemplate*(WORD)>;

class Win32WindowSystem : public IWindowSystem {
  public:
    // menus: the program's menu templates, given by the program as the simulator is given
    // them; instance: the module whose icons the program loads.
    explicit Win32WindowSystem(MenuLookup menus, HINSTANCE instance = ::GetModuleHandleW(nullptr));
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    BOOL RegisterClassW(const WNDCLASSW& wc) override;
    HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                         DWORD style, INT x, INT y, INT width, INT height, HWND parent,
                         UINT_PTR idOrMenu, IWindowHandler* handler) override;
    BOOL DestroyWindow(HWND hwnd) override;
    BOOL IsWindow(HWND hwnd) override;
    LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT GetWindowTextLengthW(HWND hwnd) override;
    INT GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) override;
    BOOL SetWindowTextW(HWND hwnd, const char16_t* text) override;
    HWND FindWindowW(const char16_t* className, const char16_t* windowName) override;
    BOOL EnumWindows(const WNDENUMPROC& callback) override;
    HWND GetForegroundWindow() override;
    BOOL SetForegroundWindow(HWND hwnd) override;
    BOOL ShowWindow(HWND hwnd, INT cmdShow) override;
    BOOL IsWindowVisible(HWND hwnd) override;
    BOOL UpdateWindow(HWND hwnd) override;
    BOOL GetWindowRect(HWND hwnd, RECT* rect) override;
    BOOL SetWindowPos(HWND hwnd, HWND insertAfter, INT x, INT y, INT cx, INT cy,
                      UINT flags) override;
    LONG GetWindowLongW(HWND hwnd, INT index) override;
    HWND GetParent(HWND hwnd) override;
    HWND GetWindow(HWND hwnd, UINT cmd) override;
    HWND SetFocus(HWND hwnd) override;
    DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) override;
    HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) override;
    BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) override;

    BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) override;
    BOOL TranslateMessage(const MSG* msg) override;
    LRESULT DispatchMessageW(const MSG* msg) override;
    BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostQuitMessage(INT exitCode) override;
    UINT RegisterWindowMessageW(const char16_t* name) override;

    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) override;
    BOOL KillTimer(HWND hwnd, UINT_PTR id) override;
    BOOL RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) override;
    BOOL UnregisterHotKey(HWND hwnd, INT id) override;
    SHORT GetAsyncKeyState(INT vk) override;

    HWND CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                               IWindowHandler* handler) override;
    BOOL IsDialogMessageW(HWND dialog, MSG* msg) override;
    HWND GetDlgItem(HWND dialog, INT id) override;
    INT GetDlgCtrlID(HWND hwnd) override;
    BOOL MapDialogRect(HWND dialog, RECT* rect) override;
    INT MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT type) override;

    HMENU LoadMenuW(WORD resourceId) override;
    HMENU GetSubMenu(HMENU menu, INT pos) override;
    BOOL DestroyMenu(HMENU menu) override;
    BOOL TrackPopupMenuEx(HMENU menu, UINT flags, INT x, INT y, HWND owner) override;
    HICON LoadIconW(WORD resourceId) override;

    // Windows whose messages still reach a handler (for tests of the routing).
    std::size_t LinkedWindowCount() const { return byWindow_.size(); }

  private:
    // What ties a desktop window to its handler.
    struct Link {
        Win32WindowSystem* system;
        IWindowHandler* handler;
        WNDPROC original;  // the window's own procedure when it was subclassed, else null
        ::HWND hwnd;
        std::unique_ptr<DialogLayout> layout;  // a dialog's, laid out again at each scale
    };

    static LRESULT CALLBACK ClassProc(::HWND, ::UINT, ::WPARAM, ::LPARAM);
    static LRESULT CALLBACK SubclassProc(::HWND, ::UINT, ::WPARAM, ::LPARAM);
    static INT_PTR CALLBACK DialogProc(::HWND, ::UINT, ::WPARAM, ::LPARAM);

    Link* NewLink(IWindowHandler* handler);
    void Attach(Link* link, ::HWND hwnd);
    void Subclass(Link* link, ::HWND hwnd);
    void Drop(Link* link);
    LRESULT Route(Link* link, ::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam);
    bool IsOurClass(const wchar_t* className) const;

    using LoadIconMetricFn = ::HRESULT(WINAPI*)(::HINSTANCE, const wchar_t*, int, ::HICON*);

    HINSTANCE instance_;
    // The common controls of the program's manifest (version 6, themed), looked up at run
    // time: the program imports no library beyond the system's core.
    OptionalLibrary comctl32_{L"comctl32.dll"};
    LoadIconMetricFn loadIconMetric_ = nullptr;
    std::vector<std::wstring> classes_;
    std::unordered_map<Link*, std::unique_ptr<Link>> links_;
    std::unordered_map<::HWND, Link*> byWindow_;
    MenuLookup menus_;
    std::vector<::HMENU> openMenus_;  // handed out by LoadMenuW, not yet destroyed
    std::map<WORD, UniqueIcon> icons_;
};

}  // namespace velk::win32
