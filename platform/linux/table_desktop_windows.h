// The desktop's windows answered from a DesktopTable that one provider keeps current. The
// provider's news is applied once, when a tick asks for the front window; the caption and
// every search of the same tick then come from memory.
#pragma once

#include "platform/desktop_windows.h"
#include "platform/linux/desktop_table.h"

namespace velk {

class TableDesktopWindows : public IDesktopWindows {
  public:
    TableDesktopWindows(DesktopTable& table, IDesktopProvider& provider)
        : table_(table), provider_(provider) {}

    // A tick's first call: pumps the provider, then answers from the table.
    HWND GetForegroundWindow() override;
    BOOL SetForegroundWindow(HWND hwnd) override;
    BOOL IsWindow(HWND hwnd) override;
    INT GetWindowTextLengthW(HWND hwnd) override;
    INT GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) override;
    // The table knows no window classes: a class name given never matches. Without a
    // caption, any window matches (the front one first).
    HWND FindWindowW(const char16_t* className, const char16_t* windowName) override;
    // The front window first, then the others oldest first.
    BOOL EnumWindows(const WNDENUMPROC& callback) override;
    // The process id where the provider knows it; its main thread has the same id.
    DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) override;

  private:
    DesktopTable& table_;
    IDesktopProvider& provider_;
};

}  // namespace velk
