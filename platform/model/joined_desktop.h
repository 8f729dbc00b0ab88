// The desktop's windows as a home with a windowing system of its own sees them: the
// program's own windows from the model, every other window from the desktop's provider
// (X11, Wayland). The provider's handles carry kDesktopHandleBit (the Linux desktop
// table's kHandleBit), the model's never do, so each call goes to the side that made
// the handle. Test fake for either side: any IDesktopWindows (FakeDesktopWindows).
#pragma once

#include <cstdint>

#include "platform/desktop_windows.h"

namespace velk::model {

inline constexpr std::uintptr_t kDesktopHandleBit = std::uintptr_t{1} << 62;

class JoinedDesktop : public IDesktopWindows {
  public:
    // own answers for the program's windows (the model's ClientWindows); desktop for
    // the rest.
    JoinedDesktop(IDesktopWindows& own, IDesktopWindows& desktop) : own_(own), desktop_(desktop) {}

    // The desktop's front window; the program's own while the desktop names none.
    HWND GetForegroundWindow() override;
    BOOL SetForegroundWindow(HWND hwnd) override;
    BOOL IsWindow(HWND hwnd) override;
    INT GetWindowTextLengthW(HWND hwnd) override;
    INT GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) override;
    // The program's own windows first, then the desktop's.
    HWND FindWindowW(const char16_t* className, const char16_t* windowName) override;
    BOOL EnumWindows(const WNDENUMPROC& callback) override;
    DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) override;

  private:
    IDesktopWindows& SideOf(HWND hwnd) {
        return (hwnd.value & kDesktopHandleBit) ? desktop_ : own_;
    }

    IDesktopWindows& own_;
    IDesktopWindows& desktop_;
};

}  // namespace velk::model
