// A window handler for tests that need a real window or dialog and nothing of its
// messages. Include it with the seam's headers, before any Windows header.
#pragma once

#include "platform/window_system.h"

namespace velk::wintest {

// Leaves every message of a window to the platform's default processing.
class DefaultHandler : public IWindowHandler {
  public:
    explicit DefaultHandler(IWindowSystem& windows) : windows_(windows) {}
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        return windows_.DefWindowProcW(hwnd, message, wParam, lParam);
    }

  private:
    IWindowSystem& windows_;
};

}  // namespace velk::wintest
