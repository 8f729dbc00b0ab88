#include "platform/model/joined_desktop.h"

namespace velk::model {

HWND JoinedDesktop::GetForegroundWindow() {
    if (const HWND front = desktop_.GetForegroundWindow())
        return front;
    return own_.GetForegroundWindow();
}

BOOL JoinedDesktop::SetForegroundWindow(HWND hwnd) {
    return SideOf(hwnd).SetForegroundWindow(hwnd);
}

BOOL JoinedDesktop::IsWindow(HWND hwnd) {
    return SideOf(hwnd).IsWindow(hwnd);
}

INT JoinedDesktop::GetWindowTextLengthW(HWND hwnd) {
    return SideOf(hwnd).GetWindowTextLengthW(hwnd);
}

INT JoinedDesktop::GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) {
    return SideOf(hwnd).GetWindowTextW(hwnd, buf, maxCount);
}

HWND JoinedDesktop::FindWindowW(const char16_t* className, const char16_t* windowName) {
    if (const HWND own = own_.FindWindowW(className, windowName))
        return own;
    return desktop_.FindWindowW(className, windowName);
}

BOOL JoinedDesktop::EnumWindows(const WNDENUMPROC& callback) {
    bool stopped = false;
    own_.EnumWindows([&](HWND h) -> BOOL {
        if (callback(h))
            return 1;
        stopped = true;
        return 0;
    });
    if (stopped)
        return 1;
    return desktop_.EnumWindows(callback);
}

DWORD JoinedDesktop::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    return SideOf(hwnd).GetWindowThreadProcessId(hwnd, processId);
}

}  // namespace velk::model
