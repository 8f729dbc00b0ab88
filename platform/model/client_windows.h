// One client's view of the window model: every role of the window system (the desktop's
// windows, the program's windows and messages, dialogs, menus, keys, timers) answered
// from the model for the process pid. It traces nothing; a home that wants a trace
// wraps it (platform/trace).
//
// GetMessageW takes every message of the client: its window and range filters are not
// used (the program passes none).
#pragma once

#include "platform/model/window_model.h"
#include "platform/window_system.h"

namespace velk::model {

class ClientWindows : public IWindowSystem {
  public:
    ClientWindows(WindowModel& model, DWORD pid) : model_(model), pid_(pid) {}

    DWORD Pid() const { return pid_; }

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

  private:
    WindowModel& model_;
    DWORD pid_;
};

// One client's shell on the model: the notification area is the model's; the Pocket PC
// shell library is absent (its calls answer FALSE and do nothing); the work area is
// what the home told the model.
class ClientShell : public IShell {
  public:
    ClientShell(WindowModel& model, DWORD pid) : model_(model), pid_(pid) {}

    BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) override {
        return model_.NotifyIcon(pid_, message, data) ? TRUE : FALSE;
    }
    BOOL SHInitExtraControls() override { return FALSE; }
    BOOL SHInitDialog(const SHINITDLGINFO&) override { return FALSE; }
    BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM) override { return FALSE; }
    BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM) override { return FALSE; }
    BOOL SHCreateMenuBar(SHMENUBARINFO*) override { return FALSE; }
    RECT GetWorkArea() override { return model_.WorkArea(); }

  private:
    WindowModel& model_;
    DWORD pid_;
};

}  // namespace velk::model
