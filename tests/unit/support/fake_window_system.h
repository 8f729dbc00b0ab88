// A window system that does nothing: every call answers 0, FALSE or a null handle.
// Tests derive from it and override (or gmock) the few calls they care about.
#pragma once

#include "platform/window_system.h"

namespace velk::test {

class FakeWindowSystem : public IWindowSystem {
  public:
    // --- windows --------------------------------------------------------------------
    BOOL RegisterClassW(const WNDCLASSW&) override { return 0; }
    HWND CreateWindowExW(DWORD, const char16_t*, const char16_t*, DWORD, INT, INT, INT, INT, HWND,
                         UINT_PTR, IWindowHandler*) override {
        return HWND{};
    }
    BOOL DestroyWindow(HWND) override { return 0; }
    BOOL IsWindow(HWND) override { return 0; }
    LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    INT GetWindowTextLengthW(HWND) override { return 0; }
    INT GetWindowTextW(HWND, char16_t* buf, INT maxCount) override {
        if (buf != nullptr && maxCount > 0)
            buf[0] = u'\0';
        return 0;
    }
    BOOL SetWindowTextW(HWND, const char16_t*) override { return 0; }
    HWND FindWindowW(const char16_t*, const char16_t*) override { return HWND{}; }
    BOOL EnumWindows(const WNDENUMPROC&) override { return 0; }
    HWND GetForegroundWindow() override { return HWND{}; }
    BOOL SetForegroundWindow(HWND) override { return 0; }
    BOOL ShowWindow(HWND, INT) override { return 0; }
    BOOL IsWindowVisible(HWND) override { return 0; }
    BOOL UpdateWindow(HWND) override { return 0; }
    BOOL GetWindowRect(HWND, RECT*) override { return 0; }
    BOOL SetWindowPos(HWND, HWND, INT, INT, INT, INT, UINT) override { return 0; }
    LONG GetWindowLongW(HWND, INT) override { return 0; }
    HWND GetParent(HWND) override { return HWND{}; }
    HWND GetWindow(HWND, UINT) override { return HWND{}; }
    HWND SetFocus(HWND) override { return HWND{}; }
    DWORD GetWindowThreadProcessId(HWND, DWORD*) override { return 0; }
    HDC BeginPaint(HWND, PAINTSTRUCT*) override { return HDC{}; }
    BOOL EndPaint(HWND, const PAINTSTRUCT*) override { return 0; }

    // --- messages -------------------------------------------------------------------
    BOOL GetMessageW(MSG*, HWND, UINT, UINT) override { return 0; }
    BOOL TranslateMessage(const MSG*) override { return 0; }
    LRESULT DispatchMessageW(const MSG*) override { return 0; }
    BOOL PostMessageW(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    LRESULT SendMessageW(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    void PostQuitMessage(INT) override {}
    UINT RegisterWindowMessageW(const char16_t*) override { return 0; }

    // --- timers and hot keys --------------------------------------------------------
    UINT_PTR SetTimer(HWND, UINT_PTR, UINT) override { return 0; }
    BOOL KillTimer(HWND, UINT_PTR) override { return 0; }
    BOOL RegisterHotKey(HWND, INT, UINT, UINT) override { return 0; }
    BOOL UnregisterHotKey(HWND, INT) override { return 0; }
    SHORT GetAsyncKeyState(INT) override { return 0; }

    // --- dialogs --------------------------------------------------------------------
    HWND CreateDialogIndirectW(const DialogTemplate&, HWND, IWindowHandler*) override {
        return HWND{};
    }
    BOOL IsDialogMessageW(HWND, MSG*) override { return 0; }
    HWND GetDlgItem(HWND, INT) override { return HWND{}; }
    INT GetDlgCtrlID(HWND) override { return 0; }
    BOOL MapDialogRect(HWND, RECT*) override { return 0; }
    INT MessageBoxW(HWND, const char16_t*, const char16_t*, UINT) override { return 0; }

    // --- menus and icons ------------------------------------------------------------
    HMENU LoadMenuW(WORD) override { return HMENU{}; }
    HMENU GetSubMenu(HMENU, INT) override { return HMENU{}; }
    BOOL DestroyMenu(HMENU) override { return 0; }
    BOOL TrackPopupMenuEx(HMENU, UINT, INT, INT, HWND) override { return 0; }
    HICON LoadIconW(WORD) override { return HICON{}; }
};

}  // namespace velk::test
