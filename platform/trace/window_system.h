// Any window system, traced: each call goes to the inner window system and is recorded,
// except GetMessageW, TranslateMessage, DispatchMessageW, IsDialogMessageW and
// DefWindowProcW, which every message passes through.
//
// Trace entries name the operation and give its arguments readably: strings quoted,
// handles in hex with the window's caption when it has one, messages by name; results
// worth reading follow an arrow (" -> ...").
#pragma once

#include <string>
#include <utility>

#include "platform/trace/trace.h"
#include "platform/window_system.h"

namespace velk::trace {

class TracedWindowSystem : public IWindowSystem {
  public:
    TracedWindowSystem(IWindowSystem& inner, Recorder& recorder)
        : inner_(inner), recorder_(recorder) {}

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
    std::string Window(HWND hwnd);
    template <typename Args>
    void Record(const char* name, Args&& args) {
        recorder_.Record(name, std::forward<Args>(args));
    }

    IWindowSystem& inner_;
    Recorder& recorder_;
};

}  // namespace velk::trace
