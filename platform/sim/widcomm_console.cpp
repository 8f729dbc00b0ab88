#include "platform/sim/widcomm_console.h"

#include <cstddef>

namespace velk::sim {

WidcommConsole::WidcommConsole(IWindowSystem& peerProcessWindows, SimRegistry& registry)
    : windows_(peerProcessWindows), registry_(registry) {}

// The window system holds this object as the window's handler: the window must not
// outlive it.
WidcommConsole::~WidcommConsole() {
    Stop();
}

bool WidcommConsole::Start() {
    if (window_)
        return true;
    WNDCLASSW wc;
    wc.lpszClassName = kWidcommConsoleClass;
    windows_.RegisterClassW(wc);  // a second registration fails harmlessly
    window_ = windows_.CreateWindowExW(0, kWidcommConsoleClass, kWidcommConsoleCaption,
                                       WS_OVERLAPPED, 0, 0, 0, 0, HWND{}, 0, this);
    return static_cast<bool>(window_);
}

void WidcommConsole::Stop() {
    if (!window_)
        return;
    const HWND window = window_;
    window_ = HWND{};
    windows_.DestroyWindow(window);
}

void WidcommConsole::SetPower(bool on) {
    registry_.SetDword(HKEY_LOCAL_MACHINE, kWidcommKeyPath, kWidcommStackMode, on ? 1 : 0);
}

bool WidcommConsole::IsOn() const {
    const auto value = registry_.GetValue(HKEY_LOCAL_MACHINE, kWidcommKeyPath, kWidcommStackMode);
    if (!value || value->data.size() > sizeof(DWORD))
        return false;
    DWORD mode = 0;  // little-endian, whatever the type, as the stack reads it
    for (std::size_t i = 0; i < value->data.size(); ++i)
        mode |= static_cast<DWORD>(value->data[i]) << (8 * i);
    return mode == 1;
}

LRESULT WidcommConsole::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            received_.push_back({wParam, lParam});
            if (LOWORD(wParam) == kWidcommOnCommand) {
                SetPower(true);
                return 0;
            }
            if (LOWORD(wParam) == kWidcommOffCommand) {
                SetPower(false);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            // Destroyed from outside (the scenario closed the stack's software).
            if (hwnd == window_)
                window_ = HWND{};
            break;
        default:
            break;
    }
    return windows_.DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace velk::sim
