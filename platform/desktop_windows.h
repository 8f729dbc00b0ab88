// The desktop's windows: which exist, which is in front, and their captions. The role a
// home answers from its windowing system (Win32, X11, Wayland) while the program's own
// windows may live elsewhere. Test fake: FakeDesktopWindows (tests/unit/support).
#pragma once

#include <functional>

#include "platform/types.h"

namespace velk {

using WNDENUMPROC = std::function<BOOL(HWND)>;

class IDesktopWindows {
  public:
    virtual ~IDesktopWindows() = default;

    // The window the user works in; null when none is (an empty desktop).
    virtual HWND GetForegroundWindow() = 0;
    virtual BOOL SetForegroundWindow(HWND hwnd) = 0;
    virtual BOOL IsWindow(HWND hwnd) = 0;
    virtual INT GetWindowTextLengthW(HWND hwnd) = 0;
    // Copies at most maxCount - 1 characters and a terminator; returns the count copied.
    virtual INT GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) = 0;
    // A top-level window whose whole caption equals windowName, letter case folded;
    // className is matched exactly where given.
    virtual HWND FindWindowW(const char16_t* className, const char16_t* windowName) = 0;
    // Every top-level window, front to back, until the callback answers FALSE.
    virtual BOOL EnumWindows(const WNDENUMPROC& callback) = 0;
    virtual DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) = 0;
};

}  // namespace velk
